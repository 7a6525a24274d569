// CDdeClient: the client side of DDE conversations, the way a running web
// browser is asked to load a page or to tell which page it shows. A
// conversation is opened for one service and topic, serves requests for
// items in a clipboard format, and is closed again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Clipboard formats a request can ask for; the values are the system's.
enum class DdeFormat : std::uint32_t { Text = 1 };

class CDdeClient {
public:
    using Conversation = std::uintptr_t;  // 0: no conversation
    // How long a request waits for the server's answer.
    static constexpr std::uint32_t REQUEST_TIMEOUT_MS = 5000;

    virtual ~CDdeClient() = default;

    // The client instance's id; 0 when the instance could not be set up.
    virtual std::uint32_t GetInstanceId() const = 0;
    // Whether web browsers on this desktop offer conversations at all. When
    // they do not, a browser can never be asked to load a page into its
    // current window, and nothing need offer the user that choice.
    virtual bool ReachesBrowsers() const = 0;
    // Opens a conversation with a server offering the topic; 0 when none does.
    virtual Conversation Connect(const std::string& service, const std::string& topic) = 0;
    // Requests an item; true with the answer's bytes when the server answered
    // within the time-out.
    virtual bool Request(Conversation conversation, const std::string& item, DdeFormat format,
                         std::uint32_t timeoutMs, std::string& data) = 0;
    virtual void Disconnect(Conversation conversation) = 0;
};

// The client of this platform. No Linux browser offers DDE conversations:
// the instance exists, it reaches no browser, and every connect fails.
std::unique_ptr<CDdeClient> CreateDdeClient();
