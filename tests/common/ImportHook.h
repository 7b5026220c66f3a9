// Replaces, for the life of the object, a function that this test program imports from a
// system DLL: the entry in the program's import address table is pointed at a replacement,
// so every call made through it (the plug-in's code linked into the program included) reaches
// the replacement, which may call the original. Observes the real calls without changing the
// code under test.
//
//   ImportHook flush("kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&MyFlush));
//   ASSERT_TRUE(flush.IsActive());
//   auto original = reinterpret_cast<decltype(&::FlushFileBuffers)>(flush.Original());
#pragma once

#include <windows.h>

namespace testing_support {

class ImportHook {
public:
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // False when the program does not import the function from that DLL.
    bool IsActive() const { return m_slot != nullptr; }
    void* Original() const { return m_original; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

}  // namespace testing_support
