#pragma once

#include "Automation_Server.h"
#include "MainWindowFixture.h"
#include "PrivateSessionBus.h"
#include "QAxDefaultFactory.h"

#include <memory>

// A main window that serves automation clients on a private bus, as the program does: the
// bus and the server for the test case (startServer, endServer), a window in a program folder
// of its own for each test (makeWindow, endWindow). Clients connect through bus().
class ServedWindow {
public:
    bool startServer()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        if (!m_bus->start())
            return false;
        m_server = std::make_unique<Automation_Server>(createAxFactory(), m_bus->connect(QStringLiteral("server")));
        return m_server->start(QAxFactory::MultipleInstances);
    }
    QString busError() const { return m_bus ? m_bus->error() : QString(); }
    void endServer()
    {
        m_server.reset();
        m_bus.reset();
    }

    bool makeWindow(bool automationServer)
    {
        m_folder = std::make_unique<MainWindowFixture::ProgramFolder>();
        if (!m_folder->isValid())
            return false;
        answers = MainWindowFixture::Answers();
        m_test = std::make_unique<MainWindowFixture::WindowUnderTest>(automationServer, answers);
        window = &m_test->make();
        setAutomationMainWindow(window);
        return true;
    }
    void endWindow()
    {
        setAutomationMainWindow(nullptr);
        window = nullptr;
        m_test.reset();
        m_folder.reset();
    }

    PrivateSessionBus& bus() { return *m_bus; }
    QString folder() const { return m_folder ? m_folder->path() : QString(); }

    MainWindowFixture::Answers answers;
    MainWindowGui* window = nullptr;

private:
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<Automation_Server> m_server;
    std::unique_ptr<MainWindowFixture::ProgramFolder> m_folder;
    std::unique_ptr<MainWindowFixture::WindowUnderTest> m_test;
};
