#include "send/PluginErrorReaction.h"

#include "send/NumberedName.h"
#include "send/SendStatus.h"
#include "support/OrvInfoLog.h"

#include <cstdio>
#include <string>

int PluginUnknownError::AnswerUnknown(int& retryRequest) {
    retryRequest = retry_request::kStop;
    return send_status::kNoSender;
}

namespace {

// The process's standard output takes the text as UTF-8.
void WriteToStandardOutput(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

int PluginNotifier::Deal(const MyFilePath* source, MyFilePath* /*destinationFile*/, bool& deleteSource,
                         int& retryRequest) {
    deleteSource = false;  // the file was not saved: its source must stay
    if (!source) return AnswerUnknown(retryRequest);
    std::wstring text = L"Unknown error occured.\n code = " + std::to_wstring(m_errorCode) + L"\n File : " +
                        source->GetPath() + L"\n";
    WriteToStandardOutput(text);
    retryRequest = retry_request::kStop;
    return m_errorCode;
}

PluginRenamer::PluginRenamer(int firstNumber) : m_errorCode(send_status::kFileExists), m_firstNumber(firstNumber) {}

int PluginRenamer::Deal(const MyFilePath* /*source*/, MyFilePath* destinationFile, bool& deleteSource,
                        int& retryRequest) {
    WriteLog(log_level::kTrace, L"PluginRenamer::Deal");
    if (!destinationFile || destinationFile->GetPath().empty() || !destinationFile->Exists()) {
        deleteSource = false;
        return AnswerUnknown(retryRequest);
    }
    // The numbers count from the name without any number of its own, so scan_001.pdf lands
    // on the next free number after scan.pdf as well. The folder is read once for the taken
    // numbers; the sender's rename without replacing then claims the name.
    MyFilePath candidate(std::wstring{});
    DWORD error = numbered_name::FindFree(*destinationFile, m_firstNumber, candidate, m_number);
    if (error != 0) {
        deleteSource = false;
        retryRequest = retry_request::kStop;
        return static_cast<int>(error);
    }
    destinationFile->SetPath(candidate.GetPath());
    retryRequest = retry_request::kCopyAgain;
    return send_status::kSavedUnderNewName;
}
