#include "send/PluginErrorTrigger.h"

#include "send/SendStatus.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"

#include <memory>

namespace {

constexpr int kRetryEndCode = 4;      // IDRETRY
constexpr int kRetryAltEndCode = 5;   // counted as retry as well
constexpr DWORD kUserDefaultLanguage = 0x400;

struct LocalMemoryFree {
    void operator()(wchar_t* text) const { ::LocalFree(text); }
};

std::wstring SystemDescription(int errorCode) {
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                                    static_cast<DWORD>(errorCode), kUserDefaultLanguage,
                                    reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, LocalMemoryFree> owner(buffer);
    if (length == 0 || !buffer) return std::wstring();
    return std::wstring(buffer, length);
}

}  // namespace

PluginErrorTrigger::PluginErrorTrigger(int errorCode, PluginDestination* destination, PluginErrorAsker* asker)
    : m_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_errorCode(errorCode),
      m_decision(send_status::kNotSentYet),
      m_destination(destination),
      m_asker(asker) {
    if (m_event) ::ResetEvent(m_event.Get());
}

int PluginErrorTrigger::Send(PluginDestination* /*destination*/, bool /*deleteSource*/) {
    // The decision is answered once; a later pass over the trigger goes on. Whether the
    // decision has been answered is what counts, not whether it has been taken: the UI
    // thread may well decide before the worker reaches the trigger, and that decision must
    // still reach the worker.
    if (m_answered) return send_status::kGoOn;
    m_answered = true;
    // Without an event to wait on, no decision could ever arrive: end the batch instead of
    // asking again and again.
    if (!m_event || ::WaitForSingleObject(m_event.Get(), INFINITE) != WAIT_OBJECT_0) return send_status::kAbort;
    return m_decision.load();
}

int PluginErrorTrigger::GetStatus() const { return m_decision.load(); }

int PluginErrorTrigger::GetKind() const { return target_kind::kErrorTrigger; }

void PluginErrorTrigger::SetFailedFile(const std::wstring& source, const std::wstring& target) {
    m_source = source;
    m_target = target;
}

std::wstring PluginErrorTrigger::MessageFor(int errorCode, const std::wstring& source, const std::wstring& target) {
    // The system's description goes on a line of its own: run together with the fixed text it
    // would read "The file cannot be saved.Access is denied."
    std::wstring message = texts::FileCannotBeSaved();
    std::wstring description = SystemDescription(errorCode);
    // The system ends its descriptions with a line break of its own.
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r')) description.pop_back();
    if (!description.empty()) message += L"\r\n" + description;
    if (!source.empty()) message += L"\r\n" + texts::FailedFile(MyFilePath(source).GetFileName());
    if (!target.empty()) message += L"\r\n" + texts::FailedFolder(MyFilePath(target).GetFolder());
    return message;
}

void PluginErrorTrigger::Decide(int decision) {
    m_decision.store(decision);
    if (m_event) ::SetEvent(m_event.Get());
}

int PluginErrorTrigger::Run(HWND owner) {
    WriteLog(log_level::kTrace, L"PluginErrorTrigger::Run");
    std::wstring message = MessageFor(m_errorCode, m_source, m_target);
    int endCode = result::kBadArguments;
    if (m_destination && m_asker) endCode = m_asker->AskUser(owner, message, m_destination);
    if (!m_destination || !m_asker || endCode == result::kBadArguments) {
        ShowMessage(owner, texts::ErrorOccured(), texts::Error(), MB_OK);
        // The worker waits for a decision: release it with abort rather than leave it waiting.
        Decide(send_status::kAbort);
        return result::kBadArguments;
    }
    Decide(endCode == kRetryEndCode || endCode == kRetryAltEndCode ? send_status::kRetry : send_status::kAbort);
    return 0;
}
