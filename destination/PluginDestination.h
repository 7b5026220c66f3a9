// The root of the destination family: where one job's scanned files go, for the length of one
// host call. The sending engine uses CreateSender (one sender per file send) and, around a
// batch, BeginSend and EndSend.
#pragma once

#include <windows.h>

#include <string>

class MyGuid;
class PluginReader;
class PluginReaderXML;
class PluginWriter;
class PluginWriterXML;
class PluginSender;
class PluginHelp;
class PluginDefaultDestination;

class PluginDestination {
public:
    virtual ~PluginDestination() = default;

    [[nodiscard]] virtual int ReadDestinationPath(PluginReader* reader) = 0;
    [[nodiscard]] virtual int WriteDestinationPath(PluginWriter* writer) = 0;
    [[nodiscard]] virtual int ReadDefaultDestination() = 0;
    [[nodiscard]] virtual int ReadDestinationFromXml(const MyGuid& jobId) = 0;
    [[nodiscard]] virtual int WriteDestinationToXml(const MyGuid& jobId) = 0;
    // The first argument is ignored; the result is the folder dialog's (1 when confirmed).
    virtual int ReadDestinationFromDialog(int ignored, HWND owner) = 0;
    // New objects belong to the caller; none when they cannot be made.
    virtual PluginWriterXML* CreateWriterXML(const MyGuid& jobId) = 0;
    virtual PluginReaderXML* CreateReaderXML(const MyGuid& jobId) = 0;
    [[nodiscard]] virtual int CheckDestination(HWND owner) = 0;
    // A new sender into the destination's folder as it is now; the caller owns it.
    virtual PluginSender* CreateSender() = 0;
    [[nodiscard]] virtual int BeginSend() = 0;
    [[nodiscard]] virtual int EndSend() = 0;
    // Takes two values it ignores and answers true; kept for the family's layout, unused.
    virtual bool Reserved(int ignoredFirst, int ignoredSecond) = 0;
    [[nodiscard]] virtual int ReadShowLink(const MyGuid& jobId, bool& showLink) = 0;
    [[nodiscard]] virtual int GetLinkLabel(int ignored, std::wstring& label) = 0;
    [[nodiscard]] virtual int OpenDestinationFolder(const MyGuid& jobId) = 0;
    virtual PluginHelp* GetHelp() = 0;
    virtual PluginDefaultDestination* CreateDefaultDestination() = 0;
    // 0 when the cloud root is as new as the record or newer, 1 when the record is newer,
    // 3 when the comparison cannot be made. root, when given, receives the root's path.
    [[nodiscard]] virtual int CompareRecordWithRoot(const std::wstring& ignored, PluginReaderXML* reader,
                                                    std::wstring* root) = 0;
    [[nodiscard]] virtual int MakeAbsolutePath(std::wstring& absolute, const std::wstring& relative) = 0;
};
