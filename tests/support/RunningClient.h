#pragma once

// A client started as the user starts it: its own program folder laid out as installed (the real cipher
// library, text table and skin), the lock in a folder of its own, talking to the scripted centre, and the
// messages it shows recorded and answered. Header-only: only window test programs can use it.

#include "client/app/ClientApp.h"
#include "client/app/MainDialog.h"
#include "client/env/Environment.h"
#include "platform/Codec.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedCentre.h"
#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline std::string Cp949(const char* utf8) {
    return platform::Utf8ToCp949(utf8).value();
}

inline std::string VersionReply(const std::string& version) {
    return "<VESK><WORK>103</WORK><VERSION> " + version + " </VERSION></VESK>";
}

// Records what the user is shown and answers as told: notices are confirmed, questions get `answer`, or
// what `answerFor` says for a text when it is set.
struct Prompts {
    std::vector<std::pair<std::string, int>> shown;
    int answer = 2;
    std::function<int(const std::string& text, int mode)> answerFor;

    ClientApp::Prompter Prompter() {
        return [this](const std::string& text, int mode) {
            shown.emplace_back(text, mode);
            if (answerFor) {
                return answerFor(text, mode);
            }
            return mode == 0 ? 1 : answer;
        };
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& [text, mode] : shown) {
            texts.push_back(text);
        }
        return texts;
    }
};

// A program folder laid out like the installed one, with a settings file that points at `host`.
class ProgramFolder {
public:
    ProgramFolder(const std::string& host, const std::string& installedVersion, bool withLibrary = true) {
        LayOutProgramFolder(dir, host, installedVersion, withLibrary);
    }

    std::string Folder() const { return dir.Str() + "/"; }

    // Stores persons the way the client does, so that the next start finds them.
    void StorePersons(const std::vector<Person>& persons) {
        Environment env(Folder());
        ASSERT_TRUE(env.IsReady());
        for (const Person& person : persons) {
            auto copy = std::make_unique<Person>(person);
            env.PersonMap().Insert(copy->Ssn, std::move(copy));
        }
        ASSERT_TRUE(env.SavePersons());
    }
    void StorePersons(int count) {
        std::vector<Person> persons(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            persons[static_cast<size_t>(i)].Ssn = "800101123456" + std::to_string(i);
            persons[static_cast<size_t>(i)].Name = Cp949("홍길동") + std::to_string(i);
        }
        StorePersons(persons);
    }

    // An updater that leaves a mark when it runs; returns the mark's path.
    std::filesystem::path InstallUpdater() const {
        const std::filesystem::path marker = dir.Path() / "updater-ran";
        const std::filesystem::path updater = dir.Write("Updater", "#!/bin/sh\ntouch '" + marker.string() + "'\n");
        std::filesystem::permissions(updater, std::filesystem::perms::owner_all);
        return marker;
    }

    std::string Setting(const std::string& key) const {
        Environment env(Folder());
        return env.GetSetting("DEFAULT", key);
    }

    TempDir dir;
    TempDir locks;
};

// Makes a client for the folder with short time limits and recorded prompts; not yet started.
inline std::unique_ptr<ClientApp> MakeClient(ProgramFolder& folder, Prompts& prompts, long limitMs = 2000) {
    ClientApp::Options options;
    options.programFolder = folder.Folder();
    options.lockFolder = folder.locks.Str();
    options.connectMs = limitMs;
    options.totalMs = limitMs;
    auto app = std::make_unique<ClientApp>(options);
    app->SetPrompter(prompts.Prompter());
    return app;
}

// A client that went through the start: the centre answered the version, the main window is open.
struct RunningClient {
    RunningClient(ScriptedCentre& centre, const std::vector<Person>& persons = {}) : folder(centre.Host(), "1.0.0.0") {
        if (!persons.empty()) {
            folder.StorePersons(persons);
        }
        centre.QueueBody(VersionReply("1.0.0.0"));
        app = MakeClient(folder, prompts);
        started = app->StartUp();
    }
    ~RunningClient() {
        if (app) {
            app->Exit();
        }
    }

    MainDialog& Window() { return *app->MainWindow(); }
    Environment& Env() { return app->Env(); }
    std::string Text(const char* key) { return app->Env().GetText("MESSAGE", key); }

    ProgramFolder folder;
    Prompts prompts;
    std::unique_ptr<ClientApp> app;
    bool started = false;
};
