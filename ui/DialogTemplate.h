// An in-memory copy of an extended dialog template (DIALOGEX) from a module's resources, whose
// font can be replaced before a dialog is created from it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

class DialogTemplate {
public:
    // Copies the dialog resource templateId of the module. False (and empty) when the module has
    // no such dialog or the resource is not a well-formed extended template.
    bool Load(HMODULE module, UINT templateId);

    // Sets DS_SETFONT and replaces the face and point size; the items after the font move so that
    // they stay DWORD-aligned. Weight, italic and character set of a declared font are kept.
    // A face of 32 characters or more (beyond the platform's face-name limit) leaves the
    // template unchanged and gives false, as does an empty template.
    bool SetFont(const std::wstring& face, WORD pointSize);

    // The declared font; false when the template declares none.
    bool GetFont(std::wstring& face, WORD& pointSize) const;

    // The dialog's window style; 0 when empty.
    DWORD Style() const;
    bool IsEmpty() const { return m_size == 0; }
    // The template for the platform's indirect dialog functions; null when empty.
    const DLGTEMPLATE* Get() const;

private:
    // Byte offsets inside the copy, found by Parse.
    struct Layout {
        size_t fontOffset = 0;   // where the font block is or would be (after the caption)
        size_t faceOffset = 0;   // the face name, when a font is declared
        size_t itemsOffset = 0;  // the first item, DWORD-aligned
    };

    bool Parse(Layout& layout) const;
    BYTE* Bytes() { return reinterpret_cast<BYTE*>(m_words.data()); }
    const BYTE* Bytes() const { return reinterpret_cast<const BYTE*>(m_words.data()); }

    std::vector<DWORD> m_words;  // DWORD storage keeps the copy aligned as the platform needs
    size_t m_size = 0;           // size of the template in bytes
};
