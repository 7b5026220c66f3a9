#include "destination/PluginDestinationFolder.h"

#include "destination/PluginDefaultDestination.h"
#include "send/PluginSender.h"
#include "send/TemporaryCopy.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"
#include "support/ValueText.h"

#include <shlobj.h>

#include <ctime>
#include <memory>

namespace {

constexpr wchar_t kDestination[] = L"Destination";
constexpr wchar_t kShowLink[] = L"ShowLink";

// The folder's creation time as a local time value, the form the records' stamps are read in.
bool CreationTimeOf(const MyFolderPath& folder, time_t& time) {
    WIN32_FIND_DATAW data{};
    if (folder.GetFindData(data) != 0) return false;
    FILETIME local{};
    SYSTEMTIME fields{};
    if (!::FileTimeToLocalFileTime(&data.ftCreationTime, &local) || !::FileTimeToSystemTime(&local, &fields)) {
        return false;
    }
    std::tm calendar{};
    calendar.tm_year = fields.wYear - 1900;
    calendar.tm_mon = fields.wMonth - 1;
    calendar.tm_mday = fields.wDay;
    calendar.tm_hour = fields.wHour;
    calendar.tm_min = fields.wMinute;
    calendar.tm_sec = fields.wSecond;
    calendar.tm_isdst = -1;
    time = std::mktime(&calendar);
    return time != static_cast<time_t>(-1);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

int PluginDestinationFolder::GetRoot(std::wstring& root) {
    std::unique_ptr<PluginDefaultDestination> locator(CreateDefaultDestination());
    if (!locator) return result::kSyncFolderNotFound;
    return locator->GetRootFolder(&root);
}

int PluginDestinationFolder::ReadDestinationPath(PluginReader* reader) {
    WriteLog(log_level::kTrace, L"PluginDestinationFolder::ReadDestinationPath");
    if (!reader) return result::kBadArguments;
    WriteLog(log_level::kTrace, L"reader->ReadParam, %s, %s", m_path.GetPath().c_str(), kDestination);
    return reader->ReadParam(&m_path.GetPathRef(), kDestination, setting_scope::kJob);
}

int PluginDestinationFolder::WriteDestinationPath(PluginWriter* writer) {
    WriteLog(log_level::kTrace, L"PluginDestinationFolder::WriteDestinationPath");
    if (!writer) return result::kBadArguments;
    std::wstring name = MyFilePath(m_path.GetPath()).GetFileName();
    WriteLog(log_level::kTrace, L"writer->WriteParam, %s, %s", kDestination, name.c_str());
    return writer->WriteParam(kDestination, name.c_str(), setting_scope::kJob);
}

int PluginDestinationFolder::ReadDefaultDestination() {
    WriteLog(log_level::kTrace, L"PluginDestinationFolder::ReadDefaultDestination");
    std::wstring root;
    if (GetRoot(root) == result::kSuccess) {
        m_path.SetPath(root);
    } else {
        WriteLog(log_level::kTrace, L"SetSpecialFolderPath(CSIDL_PROFILE)");
        (void)m_path.SetSpecialFolder(CSIDL_PROFILE, true);  // on failure the path stays as it is
    }
    return result::kSuccess;
}

int PluginDestinationFolder::ReadDestinationFromXml(const MyGuid& jobId) {
    WriteLog(log_level::kTrace, L"PluginDestinationFolder::ReadDestinationPath");
    std::unique_ptr<PluginReaderXML> reader(CreateReaderXML(jobId));
    if (!reader) return result::kBadArguments;
    std::wstring stored;
    int code = reader->ReadParam(&stored, kDestination, setting_scope::kJob);
    if (code != result::kSuccess) return code;
    if (IsDrivePath(stored)) {
        std::wstring root;
        // The sync folder replaces a stored absolute path when it is as old as the record or
        // newer; when the two cannot be compared the stored path stays in use.
        m_path.SetPath(CompareRecordWithRoot(stored, reader.get(), &root) == 0 ? root : stored);
        return result::kSuccess;
    }
    return MakeAbsolutePath(m_path.GetPathRef(), stored);
}

int PluginDestinationFolder::CompareRecordWithRoot(const std::wstring& /*ignored*/, PluginReaderXML* reader,
                                                   std::wstring* rootOut) {
    constexpr int kCannotCompare = 3;
    if (!reader) return kCannotCompare;
    std::wstring root;
    if (GetRoot(root) != result::kSuccess) return kCannotCompare;
    if (rootOut) *rootOut = root;
    time_t created = 0;
    if (!CreationTimeOf(MyFolderPath(root), created)) return kCannotCompare;
    time_t updated = 0;
    if (reader->ReadLastUpdate(&updated) != result::kSuccess) return kCannotCompare;
    return updated > created ? 1 : 0;
}

int PluginDestinationFolder::MakeAbsolutePath(std::wstring& absolute, const std::wstring& relative) {
    std::wstring root;
    int code = GetRoot(root);
    if (code != result::kSuccess) return code;
    MyFolderPath folder(root);
    if (!relative.empty()) folder.Append(relative);
    absolute = folder.GetPath();
    return result::kSuccess;
}

bool PluginDestinationFolder::IsInRoot(const std::wstring& path) {
    std::wstring root;
    if (GetRoot(root) != result::kSuccess) return false;
    if (path.compare(0, root.size(), root) != 0) return false;
    // Only a whole folder name counts: "My Brellix2" beside "My Brellix" is not inside it, or
    // its remainder "2" would later be joined to the sync folder as a sub-folder.
    return root.empty() || path.size() == root.size() || IsSeparator(root.back()) || IsSeparator(path[root.size()]);
}

int PluginDestinationFolder::MakeRelativePath(std::wstring& relative, const std::wstring& path) {
    std::wstring root;
    int code = GetRoot(root);
    if (code != result::kSuccess) return code;
    if (path.size() < root.size()) return result::kBadArguments;
    relative = path.substr(root.size());
    return result::kSuccess;
}

int PluginDestinationFolder::WriteDestinationToXml(const MyGuid& jobId) {
    WriteLog(log_level::kTrace, L"PluginDestinationFolder::WriteDestinationPath");
    std::unique_ptr<PluginWriterXML> writer(CreateWriterXML(jobId));
    if (!writer) return result::kBadArguments;
    std::wstring value;
    const std::wstring& full = m_path.GetPath();
    if (!IsInRoot(full) || MakeRelativePath(value, full) != result::kSuccess) value = full;
    return writer->WriteParam(kDestination, value.c_str(), setting_scope::kJob);
}

int PluginDestinationFolder::CheckDestination(HWND /*owner*/) { return result::kSuccess; }

PluginSender* PluginDestinationFolder::CreateSender() {
    auto* sender = new (std::nothrow) PluginSend2Folder();
    if (sender) sender->SetFolder(MyFolderPath(m_path.GetPath()));
    return sender;
}

int PluginDestinationFolder::BeginSend() {
    // Temporaries of a run that was killed before it named them would otherwise stay in the
    // folder for good (and a sync client would upload them).
    file_copy::RemoveStaleTemporaries(m_path.GetPath());
    return result::kSuccess;
}

int PluginDestinationFolder::EndSend() { return result::kSuccess; }

bool PluginDestinationFolder::Reserved(int /*ignoredFirst*/, int /*ignoredSecond*/) { return true; }

int PluginDestinationFolder::ReadShowLink(const MyGuid& jobId, bool& showLink) {
    std::unique_ptr<PluginReaderXML> reader(CreateReaderXML(jobId));
    if (!reader) return result::kBadArguments;
    return reader->ReadParam(&showLink, kShowLink, setting_scope::kJob);
}

int PluginDestinationFolder::GetLinkLabel(int /*ignored*/, std::wstring& label) {
    label = texts::OpenStorageFolder();
    return result::kSuccess;
}

int PluginDestinationFolder::OpenDestinationFolder(const MyGuid& jobId) {
    int code = ReadDestinationFromXml(jobId);
    if (code != result::kSuccess) return code;
    return m_path.Explore();
}

PluginHelp* PluginDestinationFolder::GetHelp() { return nullptr; }
