#include "ui/DialogTemplate.h"

#include <cstring>
#include <cwchar>

namespace {

// The fixed head of an extended dialog template (DLGTEMPLATEEX).
#pragma pack(push, 2)
struct DialogExHeader {
    WORD dlgVer;
    WORD signature;
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    WORD itemCount;
    short x;
    short y;
    short cx;
    short cy;
};
#pragma pack(pop)
static_assert(sizeof(DialogExHeader) == 26, "DLGTEMPLATEEX head is 26 bytes");

// The font block of an extended template, followed by the face name.
struct DialogExFont {
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
};
static_assert(sizeof(DialogExFont) == 6, "DLGTEMPLATEEX font block is 6 bytes");

constexpr size_t AlignToDword(size_t offset) { return (offset + 3) & ~size_t(3); }

// Length in bytes of a zero-terminated wide string at offset (terminator included); 0 when it
// runs past the end.
size_t WideStringBytes(const BYTE* bytes, size_t size, size_t offset) {
    for (size_t at = offset; at + sizeof(WCHAR) <= size; at += sizeof(WCHAR)) {
        WCHAR c;
        std::memcpy(&c, bytes + at, sizeof c);
        if (c == 0) return at + sizeof(WCHAR) - offset;
    }
    return 0;
}

// Length in bytes of a menu or class field: none (0x0000), an ordinal (0xFFFF, n) or a string.
size_t SzOrOrdBytes(const BYTE* bytes, size_t size, size_t offset) {
    if (offset + sizeof(WORD) > size) return 0;
    WORD first;
    std::memcpy(&first, bytes + offset, sizeof first);
    if (first == 0x0000) return sizeof(WORD);
    if (first == 0xFFFF) return offset + 2 * sizeof(WORD) <= size ? 2 * sizeof(WORD) : 0;
    return WideStringBytes(bytes, size, offset);
}

}  // namespace

bool DialogTemplate::Load(HMODULE module, UINT templateId) {
    m_words.clear();
    m_size = 0;
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    if (!resource) return false;
    DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size < sizeof(DialogExHeader)) return false;

    m_words.assign((size + 3) / 4, 0);
    std::memcpy(m_words.data(), data, size);
    m_size = size;
    Layout layout;
    if (!Parse(layout)) {
        m_words.clear();
        m_size = 0;
        return false;
    }
    return true;
}

DWORD DialogTemplate::Style() const {
    if (IsEmpty()) return 0;
    DialogExHeader header;
    std::memcpy(&header, Bytes(), sizeof header);
    return header.style;
}

bool DialogTemplate::Parse(Layout& layout) const {
    if (m_size < sizeof(DialogExHeader)) return false;
    DialogExHeader header;
    std::memcpy(&header, Bytes(), sizeof header);
    if (header.dlgVer != 1 || header.signature != 0xFFFF) return false;

    size_t offset = sizeof(DialogExHeader);
    for (int field = 0; field < 2; ++field) {  // menu, window class
        size_t length = SzOrOrdBytes(Bytes(), m_size, offset);
        if (length == 0) return false;
        offset += length;
    }
    size_t captionLength = WideStringBytes(Bytes(), m_size, offset);
    if (captionLength == 0) return false;
    offset += captionLength;

    layout.fontOffset = offset;
    if (header.style & DS_SETFONT) {
        layout.faceOffset = offset + sizeof(DialogExFont);
        size_t faceLength = WideStringBytes(Bytes(), m_size, layout.faceOffset);
        if (faceLength == 0) return false;
        offset = layout.faceOffset + faceLength;
    }
    layout.itemsOffset = AlignToDword(offset);
    return layout.itemsOffset <= AlignToDword(m_size);
}

bool DialogTemplate::SetFont(const std::wstring& face, WORD pointSize) {
    if (IsEmpty() || face.size() >= LF_FACESIZE) return false;
    Layout layout;
    if (!Parse(layout)) return false;

    bool hadFont = (Style() & DS_SETFONT) != 0;
    DialogExFont font{pointSize, FW_NORMAL, FALSE, DEFAULT_CHARSET};
    if (hadFont) {
        std::memcpy(&font, Bytes() + layout.fontOffset, sizeof font);
        font.pointSize = pointSize;
    }

    // Rebuild: everything up to the font, the new font block and face, then the items.
    size_t faceBytes = (face.size() + 1) * sizeof(WCHAR);
    size_t newItemsOffset = AlignToDword(layout.fontOffset + sizeof font + faceBytes);
    size_t itemBytes = m_size > layout.itemsOffset ? m_size - layout.itemsOffset : 0;
    size_t newSize = newItemsOffset + itemBytes;

    std::vector<DWORD> words((newSize + 3) / 4, 0);
    BYTE* target = reinterpret_cast<BYTE*>(words.data());
    std::memcpy(target, Bytes(), layout.fontOffset);
    std::memcpy(target + layout.fontOffset, &font, sizeof font);
    std::memcpy(target + layout.fontOffset + sizeof font, face.c_str(), faceBytes);
    if (itemBytes) std::memcpy(target + newItemsOffset, Bytes() + layout.itemsOffset, itemBytes);

    DialogExHeader header;
    std::memcpy(&header, target, sizeof header);
    header.style |= DS_SETFONT;
    std::memcpy(target, &header, sizeof header);

    m_words.swap(words);
    m_size = newSize;
    return true;
}

bool DialogTemplate::GetFont(std::wstring& face, WORD& pointSize) const {
    Layout layout;
    if (IsEmpty() || !Parse(layout) || !(Style() & DS_SETFONT)) return false;
    DialogExFont font;
    std::memcpy(&font, Bytes() + layout.fontOffset, sizeof font);
    pointSize = font.pointSize;
    size_t faceBytes = WideStringBytes(Bytes(), m_size, layout.faceOffset);
    face.assign(reinterpret_cast<const WCHAR*>(Bytes() + layout.faceOffset), faceBytes / sizeof(WCHAR) - 1);
    return true;
}

const DLGTEMPLATE* DialogTemplate::Get() const {
    return IsEmpty() ? nullptr : reinterpret_cast<const DLGTEMPLATE*>(m_words.data());
}
