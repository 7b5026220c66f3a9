#include "tests/common/LogCapture.h"

#include "support/OrvInfoLog.h"
#include "tests/common/ProcessRun.h"

#include <gtest/gtest.h>

namespace testing_support {

LogCapture::LogCapture() : m_file(m_scratch / L"log.txt") {
    ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", m_file.c_str());
    EXPECT_EQ(TheLog().Load((StandinFolder() + L"\\orvinfolog.dll").c_str()), 0);
    TheLog().CreateInfoHandle(::GetModuleHandleW(nullptr));
}

LogCapture::~LogCapture() {
    TheLog().Unload();
    ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", nullptr);
}

std::vector<std::string> LogCapture::Texts() const {
    std::vector<std::string> texts;
    if (::GetFileAttributesW(m_file.c_str()) == INVALID_FILE_ATTRIBUTES) return texts;  // nothing logged yet
    for (const std::string& line : Lines(ReadFileBytes(m_file))) {
        size_t marker = line.find("] L");
        if (marker != std::string::npos) texts.push_back(line.substr(marker + 3));
    }
    return texts;
}

}  // namespace testing_support
