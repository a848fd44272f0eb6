// A window manager's stand-in for the end-to-end tests, whose display has none. Tests that use
// it link libxcb.
#pragma once

#include <QString>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace e2e {

// The part of a window manager that minimises a window when asked to, and that sees a program
// withdraw its window: the test's display has no window manager, and without one a request to
// minimise goes nowhere.
class MinimisingWindowManager {
public:
    explicit MinimisingWindowManager(const QString& display)
        : m_connection(xcb_connect(display.toLatin1().constData(), nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        // Requests to minimise are sent to the root window for whoever manages the windows.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_changeState = atom("WM_CHANGE_STATE");
        m_wmState = atom("WM_STATE");
    }
    ~MinimisingWindowManager() { xcb_disconnect(m_connection); }
    MinimisingWindowManager(const MinimisingWindowManager&) = delete;
    MinimisingWindowManager& operator=(const MinimisingWindowManager&) = delete;

    bool isConnected() const { return m_root != XCB_NONE; }

    // Handles what came since the last call: windows that asked to be minimised are unmapped and
    // their state says so; windows that their program withdrew are marked withdrawn.
    void serve()
    {
        constexpr uint32_t kWithdrawnState = 0;
        constexpr uint32_t kIconicState = 3;
        // Events that a client sent have this bit set.
        constexpr uint8_t kSent = 0x80;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            const auto* unmap = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
            if ((event->response_type & ~kSent) == XCB_CLIENT_MESSAGE && message->type == m_changeState
                && message->format == 32 && message->data.data32[0] == kIconicState) {
                setState(message->window, kIconicState);
                xcb_unmap_window(m_connection, message->window);
                ++m_minimised;
            } else if (event->response_type == (XCB_UNMAP_NOTIFY | kSent)) {
                setState(unmap->window, kWithdrawnState);
                ++m_withdrawn;
            }
            std::free(event);
        }
        xcb_flush(m_connection);
    }

    int minimised() const { return m_minimised; }
    int withdrawn() const { return m_withdrawn; }

private:
    void setState(xcb_window_t window, uint32_t state)
    {
        const uint32_t value[] = { state, XCB_NONE };
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, m_wmState, m_wmState, 32, 2, value);
    }

    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_changeState = XCB_NONE;
    xcb_atom_t m_wmState = XCB_NONE;
    int m_minimised = 0;
    int m_withdrawn = 0;
};

} // namespace e2e
