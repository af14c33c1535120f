// The settings file: read as written, never silently another store; messages about its values
// name the file and the key; the first start's answers are written back without losing a line.
#include "host/host_app.h"
#include "host/settings.h"
#include "host/startup_checks.h"
#include "store_fixture.h"

#include "host/ui/main_window.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QTimer>

#include <cstdlib>
#include <iostream>

namespace qm::host::testing {
namespace {

// The binary's one QApplication is set up by startup_test.cpp.

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = FreshTempDir("settings");
        File = (Dir / "conf" / "qmhost.conf").string();
        std::filesystem::create_directories(Dir / "conf");
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    Options Read(const std::string& text, const std::vector<std::string>& args = {}) {
        std::ofstream(File) << text;
        Options o = ParseArguments(args);
        ApplySettings(o, File);
        FillDefaults(o);
        return o;
    }
    std::filesystem::path Dir;
    std::string File;
};

TEST_F(SettingsTest, ValuesAreReadAsWritten) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string conf = (Dir / "conf").string();
    struct Case {
        const char* Text;
        std::string Db;
    } cases[] = {
        // A libpq multi-host URI: its commas are part of the one value.
        {"[General]\ndb=postgresql://h1:5432,h2:5432/qm?target_session_attrs=read-write\n",
         "postgresql://h1:5432,h2:5432/qm?target_session_attrs=read-write"},
        {"db=host=/tmp/s dbname=qm, user=a\n", "host=/tmp/s dbname=qm, user=a"},
        {"[general]\nDB = /srv/qm/levels.db\n", "/srv/qm/levels.db"},
        {"Db=\"/srv/a, b.db\"\n", "/srv/a, b.db"},
        {"db=~/stores/levels.db\n", home + "/stores/levels.db"},
        {"db=stores/levels.db\n", conf + "/stores/levels.db"},
        {"db=../levels.db\n", (Dir / "levels.db").string()},
        {"; comment\n# another\n\n[General]\ndb=/a.db\ndb=/b.db\n", "/b.db"},
        // Other sections are not ours.
        {"[Other]\ndb=/elsewhere.db\n", ""},
    };
    for (const Case& c : cases) {
        const Options o = Read(c.Text);
        EXPECT_EQ(o.DbPath, c.Db) << c.Text;
        EXPECT_EQ(o.FromSettings.count("db"), c.Db.empty() ? 0u : 1u) << c.Text;
    }
}

TEST_F(SettingsTest, WhatCannotBeUsedIsNamedWithFileAndLine) {
    struct Case {
        const char* Text;
        std::vector<std::string> Parts; // of the one note; none: no note
    } cases[] = {
        {"[General]\ndb=/a.db\nuser=clerk\ngroup=team\n", {}},
        {"[General]\ndb=/a.db\nusr=clerk\n", {"第 3 行", "“usr”", "db、user、group"}},
        {"colour=red\n", {"第 1 行", "“colour”"}},
        {"[Server]\nhost=x\n", {"第 1 行", "[Server]"}},
        {"[General]\njust some words\n", {"第 2 行", "键=值"}},
    };
    for (const Case& c : cases) {
        const Options o = Read(c.Text);
        ASSERT_EQ(o.Notes.size(), c.Parts.empty() ? 0u : 1u) << c.Text;
        for (const std::string& part : c.Parts) {
            EXPECT_TRUE(Contains(o.Notes[0], part)) << o.Notes[0];
            EXPECT_TRUE(Contains(o.Notes[0], File)) << o.Notes[0];
        }
    }
}

TEST_F(SettingsTest, TheCommandLineWinsAndOriginsSaySo) {
    const std::string text = "DB=/file.db\nUser=fileclerk\nGROUP=fileteam\n";
    Options o = Read(text, {"--db", "/cli.db", "--group", "cliteam"});
    EXPECT_EQ(o.DbPath, "/cli.db");
    EXPECT_EQ(o.User, "fileclerk");
    EXPECT_TRUE(o.UserNamed);
    EXPECT_EQ(o.Group, "cliteam");
    EXPECT_EQ(Origin(o, "db"), "--db");
    EXPECT_EQ(Origin(o, "group"), "--group");
    EXPECT_EQ(Origin(o, "user"), "设置文件“" + File + "”中的 user");

    // Without a file nothing is named, and the file is where a first start will write.
    Options bare = ParseArguments({});
    ApplySettings(bare, (Dir / "missing.conf").string());
    EXPECT_FALSE(bare.UserNamed || bare.GroupNamed);
    EXPECT_TRUE(bare.Notes.empty());
    EXPECT_EQ(bare.SettingsFile, (Dir / "missing.conf").string());
}

// Runs the host as a script run would, and returns what it wrote to standard error.
std::string StartErrors(const Options& o, int* code = nullptr) {
    std::ostringstream err;
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    const int rc = RunHost(o);
    std::cerr.rdbuf(old);
    if (code) *code = rc;
    return err.str();
}

TEST_F(SettingsTest, MessagesAboutItsValuesNameTheFileAndKey) {
    struct Case {
        const char* Text;
        const char* Key;
        const char* Option; // never named
    } cases[] = {
        {"db=no/such/folder/levels.db\n", "中的 db", "--db"},
        {"db=levels.db\nuser=收入级别维护员收入级别维护员\n", "中的 user", "--user"},
        {"db=levels.db\ngroup=abcdefghijklmnop\n", "中的 group", "--group"},
    };
    for (const Case& c : cases) {
        Options o = Read(c.Text);
        o.ScreenshotPath = (Dir / "shot.png").string();
        int code = 0;
        const std::string err = StartErrors(o, &code);
        EXPECT_EQ(code, 2) << err;
        EXPECT_TRUE(Contains(err, "设置文件“" + File + "”" + c.Key)) << err;
        EXPECT_FALSE(Contains(err, c.Option)) << err;
    }
}

// A clerk at a desktop sees what the file holds that the host cannot use, in the error bar.
TEST_F(SettingsTest, AnUnknownKeyIsNamedInTheErrorBar) {
    Options o = Read("db=levels.db\nDbPath=/elsewhere.db\n");
    std::string bar;
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&bar, poll] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<MainWindow*>(w); window && window->isVisible()) {
                if (window->LastStatus().empty()) return; // the first search first
                bar = window->findChild<QFrame*>("errorBar")->findChild<QLabel*>()->text().toStdString();
                window->close();
                poll->deleteLater();
            }
    });
    poll->start(20);
    std::ostringstream err;
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    EXPECT_EQ(RunHost(o), 0);
    std::cerr.rdbuf(old);
    for (const std::string& part : {File, std::string("第 2 行"), std::string("“DbPath”")}) {
        EXPECT_TRUE(Contains(bar, part)) << bar;
        EXPECT_TRUE(Contains(err.str(), part)) << err.str();
    }
    EXPECT_TRUE(std::filesystem::exists(Dir / "conf" / "levels.db"));
}

TEST_F(SettingsTest, StoringAKeyKeepsEveryOtherLine) {
    struct Case {
        const char* Before; // nullptr: no file
        const char* After;
    } cases[] = {
        {nullptr, "[General]\nuser=clerk01\n"},
        {"", "[General]\nuser=clerk01\n"},
        {"[General]\n; the team's server\ndb=postgresql://h1,h2/qm\n",
         "[General]\nuser=clerk01\n; the team's server\ndb=postgresql://h1,h2/qm\n"},
        {"[General]\nUSER=old\ngroup=g\n", "[General]\nuser=clerk01\ngroup=g\n"},
        {"db=/a.db\n[Other]\nuser=x\n", "[General]\nuser=clerk01\ndb=/a.db\n[Other]\nuser=x\n"},
        {"[Other]\nk=v\n[General]\ndb=/a.db\n", "[Other]\nk=v\n[General]\nuser=clerk01\ndb=/a.db\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(Dir / "conf");
        if (c.Before) {
            std::filesystem::create_directories(Dir / "conf");
            std::ofstream(File) << c.Before;
        }
        std::string why;
        ASSERT_TRUE(StoreSetting(File, "user", "clerk01", why)) << why;
        EXPECT_EQ(ReadFileBytes(File), c.After) << (c.Before ? c.Before : "(none)");
        Options o = Read(ReadFileBytes(File));
        EXPECT_EQ(o.User, "clerk01");
    }
    // A value the ini form would misread is quoted, and reads back the same.
    std::string why;
    ASSERT_TRUE(StoreSetting(File, "group", " team \"a\" ", why)) << why;
    EXPECT_EQ(Read(ReadFileBytes(File)).Group, " team \"a\" ");
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsNamed) {
    std::filesystem::create_directories(Dir / "conf" / "qmhost.conf.new" / "x"); // the temporary is a folder
    std::string why;
    EXPECT_FALSE(StoreSetting(File, "user", "clerk01", why));
    EXPECT_TRUE(Contains(why, File)) << why;
}

} // namespace
} // namespace qm::host::testing
