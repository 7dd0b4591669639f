#pragma once

#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/engines.h"
#include "app/qt_settings_store.h"
#include "app/shell/child_frame.h"
#include "app/shell/main_frame.h"
#include "app/shell/shell_services.h"
#include "common/tick_source.h"
#include "link/null_serial_line.h"

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override
    {
        messages.push_back(text);
        if (modal) {
            // As a message box does: events go on while it is open.
            QTest::qWait(100);
        }
    }
    std::vector<std::string> messages;
    bool modal = false;
};

// Answers the frame's questions from a script; an empty script cancels.
class CScriptedDialogs : public IShellDialogs
{
public:
    std::optional<std::string> OpenFileName(const std::string& title, const std::string& directory,
                                            const std::string& filter) override
    {
        asked.push_back(title + "|" + directory + "|" + filter);
        return Next();
    }
    std::optional<std::string> SaveFileName(const std::string& title, const std::string& directory,
                                            const std::string& filter, const std::string&) override
    {
        asked.push_back(title + "|" + directory + "|" + filter);
        return Next();
    }
    SaveChoice AskSaveChanges(const std::string& title) override
    {
        asked.push_back("save? " + title);
        return saveChoice;
    }
    std::vector<RecoveryChoice>
    OfferRecovery(const std::vector<RecoveryEntryType>& entries) override
    {
        offered = entries;
        std::vector<RecoveryChoice> choices;
        for (const RecoveryEntryType& entry : entries) {
            const auto it = recoveryChoices.find(entry.title);
            choices.push_back(it == recoveryChoices.end() ? RecoveryChoice::kKeep : it->second);
        }
        return choices;
    }

    std::deque<std::optional<std::string>> names;
    SaveChoice saveChoice = SaveChoice::kDiscard;
    std::vector<std::string> asked;
    std::map<std::string, RecoveryChoice> recoveryChoices; // by title; the rest are kept
    std::vector<RecoveryEntryType> offered;

private:
    std::optional<std::string> Next()
    {
        if (names.empty()) {
            return std::nullopt;
        }
        auto name = names.front();
        names.pop_front();
        return name;
    }
};

// Saves what the widget shows into the build folder, to be looked at.
inline void Grab(QWidget* widget, const QString& name)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A main frame over real engines, with the settings in an INI file of a
// scratch folder, scripted dialogs and a message recorder.
class CFrameFixture
{
public:
    CFrameFixture()
    {
        store = std::make_unique<CQtSettingsStore>(Path("settings/8051.ini"));
        // The default workspace lies in the scratch folder too.
        store->WriteString("Settings", "AppDirectory", dir.path().toStdString());
        Build();
    }
    ~CFrameFixture() { frame.reset(); }

    void Build()
    {
        engines = std::make_unique<CEngines>(EnginePlatformType{sink, serial, ports, clock});
        frame = std::make_unique<CMainFrame>(*engines, *store, sink, dialogs);
    }

    void Start(const std::vector<std::string>& arguments = {})
    {
        frame->StartUp(arguments);
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    }

    std::string Path(const std::string& name) const
    {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string path = Path(name);
        WriteFile(path, text);
        return path;
    }
    // Runs the event loop until the idle handler has nothing left to do.
    bool WaitIdle(int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return !frame->IdleWorkPending(); }, timeoutMs);
    }

    QTemporaryDir dir;
    CRecordingSink sink;
    CScriptedDialogs dialogs;
    CNullSerialDevice serial;
    CNullPortCatalog ports;
    CFakeTickSource clock;
    std::unique_ptr<CQtSettingsStore> store;
    std::unique_ptr<CEngines> engines;
    std::unique_ptr<CMainFrame> frame;
};

// A program with a subroutine in an included file, for the run tests.
inline constexpr const char* kMainProgram = "        ORG 0\r\n"
                                            "        LJMP start\r\n"
                                            "        ORG 100H\r\n"
                                            "start:  MOV A,#1\r\n"
                                            "loop:   LCALL bump\r\n"
                                            "        SJMP loop\r\n"
                                            "        $sub.inc\r\n"
                                            "        END\r\n";
inline constexpr const char* kIncludedSub = "bump:   INC A\r\n"
                                            "        MOV P1,A\r\n"
                                            "        RET\r\n";
