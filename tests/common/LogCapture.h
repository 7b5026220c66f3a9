// Binds the process's log to the stand-in log library, writing into a scratch file, for the
// life of the object.
#pragma once

#include "tests/common/TestSupport.h"

#include <string>
#include <vector>

namespace testing_support {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts of the lines written so far, each with its level in front: "3 Error ...".
    std::vector<std::string> Texts() const;

private:
    ScratchFolder m_scratch;
    std::wstring m_file;
};

}  // namespace testing_support
