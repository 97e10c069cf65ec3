#include "HalconWindowTable_p.h"

#include "HalconWindow_p.h"

#include <map>
#include <mutex>

namespace Halcon::Display {

namespace {

struct WindowTable
{
    std::mutex mutex;
    std::map<Hlong, std::shared_ptr<HalconWindow>> windows;
    Hlong nextHandle = 1;
    WindowAttributes attributes;
};

WindowTable &table()
{
    static WindowTable instance;
    return instance;
}

} // namespace

Hlong addWindow(std::shared_ptr<HalconWindow> window)
{
    WindowTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const Hlong handle = t.nextHandle++;
    t.windows.emplace(handle, std::move(window));
    return handle;
}

std::shared_ptr<HalconWindow> findWindow(Hlong handle)
{
    WindowTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.windows.find(handle);
    return it == t.windows.end() ? nullptr : it->second;
}

bool removeWindow(Hlong handle)
{
    std::shared_ptr<HalconWindow> removed;
    {
        WindowTable &t = table();
        std::lock_guard<std::mutex> lock(t.mutex);
        const auto it = t.windows.find(handle);
        if (it == t.windows.end())
            return false;
        removed = std::move(it->second);
        t.windows.erase(it);
    }
    // The canvas may be large: free it outside the table lock.
    removed.reset();
    return true;
}

WindowAttributes windowAttributes()
{
    WindowTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.attributes;
}

void setWindowAttributes(const WindowAttributes &attributes)
{
    WindowTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.attributes = attributes;
}

} // namespace Halcon::Display
