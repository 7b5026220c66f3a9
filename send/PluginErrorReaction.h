// What a sender does after a failed copy: the renamer answers a name collision with the next
// free numbered name, the notifier ends the send with the failure's code.
#pragma once

#include "support/MyPath.h"

namespace retry_request {
constexpr int kNone = 0;
constexpr int kCopyAgain = 1;
constexpr int kStop = 2;
}  // namespace retry_request

class PluginErrorReaction {
public:
    virtual ~PluginErrorReaction() = default;
    // Answers the send's new status; may change the destination path and the delete flag.
    virtual int Deal(const MyFilePath* source, MyFilePath* destinationFile, bool& deleteSource,
                     int& retryRequest) = 0;
    virtual int GetErrorCode() const = 0;
};

class PluginUnknownError : public PluginErrorReaction {
public:
    // Stop, with nothing to report.
    virtual int AnswerUnknown(int& retryRequest);
};

class PluginNotifier : public PluginUnknownError {
public:
    explicit PluginNotifier(int errorCode) : m_errorCode(errorCode) {}
    int Deal(const MyFilePath* source, MyFilePath* destinationFile, bool& deleteSource, int& retryRequest) override;
    int GetErrorCode() const override { return m_errorCode; }

private:
    int m_errorCode;
};

class PluginRenamer : public PluginUnknownError {
public:
    PluginRenamer();
    int Deal(const MyFilePath* source, MyFilePath* destinationFile, bool& deleteSource, int& retryRequest) override;
    int GetErrorCode() const override { return m_errorCode; }

private:
    int m_errorCode;
};
