// A destination for the tests: makes real folder senders into a folder the test chooses and
// can run a hook before each sender is made (on the thread that sends).
#pragma once

#include "destination/PluginDestination.h"
#include "send/PluginSender.h"

#include <functional>
#include <string>

class TestDestination : public PluginDestination {
public:
    explicit TestDestination(std::wstring folder) : m_folder(std::move(folder)) {}

    void SetFolder(const std::wstring& folder) { m_folder = folder; }
    // Called with the number of senders made so far, before the next one is made.
    std::function<void(int)> beforeSender;
    int beginSendResult = 0;
    int endSendCalls = 0;

    PluginSender* CreateSender() override {
        if (beforeSender) beforeSender(m_sendersMade);
        ++m_sendersMade;
        auto* sender = new PluginSend2Folder();
        sender->SetFolder(MyFolderPath(m_folder));
        return sender;
    }
    int BeginSend() override { return beginSendResult; }
    int EndSend() override {
        ++endSendCalls;
        return 0;
    }

    int ReadDestinationPath(PluginReader*) override { return 0; }
    int WriteDestinationPath(PluginWriter*) override { return 0; }
    int ReadDefaultDestination() override { return 0; }
    int ReadDestinationFromXml(const MyGuid&) override { return 0; }
    int WriteDestinationToXml(const MyGuid&) override { return 0; }
    int ReadDestinationFromDialog(int, HWND) override { return 0; }
    PluginWriterXML* CreateWriterXML(const MyGuid&) override { return nullptr; }
    PluginReaderXML* CreateReaderXML(const MyGuid&) override { return nullptr; }
    int CheckDestination(HWND) override { return 0; }
    bool Reserved(int, int) override { return true; }
    int ReadShowLink(const MyGuid&, bool&) override { return 0; }
    int GetLinkLabel(int, std::wstring&) override { return 0; }
    int OpenDestinationFolder(const MyGuid&) override { return 0; }
    PluginHelp* GetHelp() override { return nullptr; }
    PluginDefaultDestination* CreateDefaultDestination() override { return nullptr; }
    int CompareRecordWithRoot(const std::wstring&, PluginReaderXML*, std::wstring*) override { return 3; }
    int MakeAbsolutePath(std::wstring&, const std::wstring&) override { return 0; }

private:
    std::wstring m_folder;
    int m_sendersMade = 0;
};
