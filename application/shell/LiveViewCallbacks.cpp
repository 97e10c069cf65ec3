#include "LiveViewCallbacks.h"

LiveViewCallbacks::LiveViewCallbacks(std::function<void(bool)> visibility)
    : m_visibility(std::move(visibility))
{
}

void LiveViewCallbacks::visibilityChanged(bool visible)
{
    if (m_visibility)
        m_visibility(visible);
}
