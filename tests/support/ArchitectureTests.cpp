// Every test program runs in the lane of its own architecture: the i686 build (what the 32-bit
// scanning host loads) under 32-bit Wine, the x86_64 build under 64-bit Wine. These tests check
// that the programs and the DLLs they load are of the build's architecture, so that a lane can
// never pass by running the other build.
#include "tests/common/TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr WORD kBuildMachine = sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kBuildMagic = sizeof(void*) == 4 ? IMAGE_NT_OPTIONAL_HDR32_MAGIC : IMAGE_NT_OPTIONAL_HDR64_MAGIC;

struct PeKind {
    WORD machine = 0;
    WORD magic = 0;
};

// Machine and optional-header magic of a PE image in memory or in a file's bytes.
PeKind ReadPeKind(const BYTE* image, size_t size) {
    PeKind kind;
    IMAGE_DOS_HEADER dos;
    if (size < sizeof dos) return kind;
    std::memcpy(&dos, image, sizeof dos);
    size_t headers = static_cast<size_t>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || headers + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + sizeof(WORD) > size) {
        return kind;
    }
    IMAGE_FILE_HEADER file;
    std::memcpy(&file, image + headers + sizeof(DWORD), sizeof file);
    kind.machine = file.Machine;
    std::memcpy(&kind.magic, image + headers + sizeof(DWORD) + sizeof file, sizeof kind.magic);
    return kind;
}

PeKind FilePeKind(const std::wstring& path) {
    std::string bytes = testing_support::ReadFileBytes(path);
    return ReadPeKind(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(Architecture, TestProgramIsOfTheBuildsArchitecture) {
    const BYTE* image = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    PeKind kind = ReadPeKind(image, 4096);
    EXPECT_EQ(kind.machine, kBuildMachine);
    EXPECT_EQ(kind.magic, kBuildMagic);
}

TEST(Architecture, PluginAndStandinsAreOfTheBuildsArchitecture) {
    const std::wstring files[] = {
        testing_support::BinFolder() + L"\\PluginForBrellix.dll",
        testing_support::BinFolder() + L"\\plrhost.exe",
        testing_support::StandinFolder() + L"\\orvinfolog.dll",
        testing_support::StandinFolder() + L"\\orvloc.dll",
        testing_support::StandinFolder() + L"\\orvhelp.dll",
    };
    for (const std::wstring& file : files) {
        PeKind kind = FilePeKind(file);
        EXPECT_EQ(kind.machine, kBuildMachine) << testing::PrintToString(file);
        EXPECT_EQ(kind.magic, kBuildMagic) << testing::PrintToString(file);
    }
}

// The i686 lane runs in a 32-bit prefix, where a 32-bit process is native: no WOW64 file-system
// or registry redirection applies, and the system folder is the 32-bit one. The x86_64 lane's
// processes are native in their 64-bit prefix too.
TEST(Architecture, RunsNativelyInTheLanesPrefix) {
    BOOL wow64 = TRUE;
    ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
    EXPECT_FALSE(wow64);
    SYSTEM_INFO native{};
    ::GetNativeSystemInfo(&native);
    EXPECT_EQ(native.wProcessorArchitecture,
              sizeof(void*) == 4 ? PROCESSOR_ARCHITECTURE_INTEL : PROCESSOR_ARCHITECTURE_AMD64);
}
