#include "platform/DdeClient.h"

namespace {

class CLinuxDdeClient final : public CDdeClient {
public:
    std::uint32_t GetInstanceId() const override { return 1; }
    bool ReachesBrowsers() const override { return false; }
    Conversation Connect(const std::string&, const std::string&) override { return 0; }
    bool Request(Conversation, const std::string&, DdeFormat, std::uint32_t, std::string&) override {
        return false;
    }
    void Disconnect(Conversation) override {}
};

}  // namespace

std::unique_ptr<CDdeClient> CreateDdeClient() {
    return std::make_unique<CLinuxDdeClient>();
}
