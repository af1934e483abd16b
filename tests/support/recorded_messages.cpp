#include "support/recorded_messages.h"

#include "runtime/application.h"

namespace census::testing {

RecordedMessages::RecordedMessages() {
    Application& app = Application::Instance();
    app.OnException = [this](const std::wstring& message) { errors.push_back(message); };
    app.MessageBoxOverride = [this](const std::wstring& text, const std::wstring& caption, UINT flags) {
        boxes.push_back({text, caption, flags});
        return IDOK;
    };
}

RecordedMessages::~RecordedMessages() {
    Application& app = Application::Instance();
    app.OnException = nullptr;
    app.MessageBoxOverride = nullptr;
}

}  // namespace census::testing
