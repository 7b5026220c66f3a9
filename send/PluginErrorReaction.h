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
    // firstNumber: the lowest number to consider; those below it were found taken before.
    explicit PluginRenamer(int firstNumber = 1);
    // Changes the destination to the first free numbered name; a numbered name that cannot
    // fit the file system stops the send with 206 (ERROR_FILENAME_EXCED_RANGE).
    int Deal(const MyFilePath* source, MyFilePath* destinationFile, bool& deleteSource, int& retryRequest) override;
    int GetErrorCode() const override { return m_errorCode; }
    // The number of the name chosen by the latest Deal.
    int GetNumber() const { return m_number; }

private:
    int m_errorCode;
    int m_firstNumber;
    int m_number = 0;
};
