// The fixture of the column length change's window tests on the sample environment: a clock
// the test sets, a backup folder, the design schema put back as the test found it, and runs of
// the window that give component_code a new length.
#pragma once

#include "dbtools/frmAlterDBColumn.h"

#include "DbToolsSampleEnvironment.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/MessageService.h"
#include "support/TestFiles.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Date and time as the test sets them; waits take their real time.
class SetTimeClock : public Clock {
public:
    explicit SetTimeClock(Clock& real) : now{2024, 3, 15, 14, 30, 5}, real_(real) {}
    uint64_t TickMs() override { return real_.TickMs(); }
    LocalTime Now() override { return now; }
    void SleepMs(int ms) override { real_.SleepMs(ms); }
    LocalTime now;

private:
    Clock& real_;
};

class AlterDBColumnFixture : public DbToolsSampleEnvironment {
protected:
    void SetUp() override
    {
        DbToolsSampleEnvironment::SetUp();
        std::filesystem::create_directories(folder_.host("backup"));
        savedClock_ = &GetClock();
        SetClock(&clock_);
        risPath_ = gCRIS->GetRISPath();
        // The design schema as the test found it, put back when it ends.
        gCRIS->RISUnload(win("start.dmp"), "dd_demo", std::nullopt, std::nullopt, "", 0, true,
                         UnloadExtras::ViewsIndexesGrants);
    }
    void TearDown() override
    {
        gCRIS->SetUseRIS(risPath_);
        gCRIS->RISLoad(win("start.dmp"), std::nullopt, 0, "dd_demo", "", 25);
        SetClock(savedClock_);
        DbToolsSampleEnvironment::TearDown();
    }
    std::unique_ptr<frmAlterDBColumn> open()
    {
        auto form = std::make_unique<frmAlterDBColumn>("demo");
        form->Form_Load();
        form->Timer1_Timer();
        return form;
    }
    static void select(frmAlterDBColumn& form, const char* schema)
    {
        const auto items = form.lstSchema->findItems(schema, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << schema;
        items[0]->setSelected(true);
    }
    // A run over dd_demo that gives component_code the length (30 unless given), answered Yes.
    void changeComponentCode(frmAlterDBColumn& form, const char* length = "30")
    {
        select(form, "dd_demo");
        form.txtColumn->setText("component_code");
        form.txtLength->setText(length);
        form.txtBackup->setText(QString::fromStdString(win("backup")));
        boxes_.Answer(MsgAnswer::Yes);
        form.cmdProcess_Click();
    }
    std::vector<std::string> backups() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder_.host("backup")))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static size_t tempFiles()
    {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(HostPath(gTempDir)))
            n += e.is_regular_file() ? 1 : 0;
        return n;
    }
    // Runs the change and checks the message's cause and outcome (each a part of it, the
    // outcome after the cause; %BACKUP% stands for the backup dump), and that every table, row,
    // value, index and grant is as it was, but for the tables named lost (joined by blanks),
    // which are gone or differ.
    void runAndCompare(const std::string& causeText, const std::string& outcomeText, const std::string& lost)
    {
        const auto before = SchemaState("dd_demo");
        ASSERT_EQ(before.size(), 12u);
        auto form = open();
        const size_t temps = tempFiles();
        changeComponentCode(*form);

        ASSERT_EQ(prompts().size(), 2u);
        const std::string message = prompts()[1];
        const std::string backup = win("backup") + "\\dd_demo_2024-03-15_143005.dmp";
        const std::string kept = win("backup") + "\\dd_demo_2024-03-15_143005_dropped_tables.dmp";
        const std::string cause = ReplaceAll(ReplaceAll(causeText, "%BACKUP_DROPPED%", kept), "%BACKUP%", backup);
        const std::string outcome = ReplaceAll(ReplaceAll(outcomeText, "%BACKUP_DROPPED%", kept), "%BACKUP%", backup);
        EXPECT_NE(message.find(cause), std::string::npos) << message << "\n---\n" << cause;
        EXPECT_NE(message.find(outcome, message.find(cause)), std::string::npos) << message << "\n---\n" << outcome;
        // A client's RIS error is one line, never its frame of asterisks.
        EXPECT_EQ(message.find("**********"), std::string::npos) << message;
        if (outcomeText.find("%BACKUP_DROPPED%") != std::string::npos) {
            const std::string dropped = testsupport::ReadHostFile(HostPath(kept));
            EXPECT_NE(dropped.find("create table pdtable_34_1 "), std::string::npos);
            EXPECT_EQ(dropped.find("create table pdtable_12_1 "), std::string::npos);
        }
        auto after = SchemaState("dd_demo");
        for (const std::string& table : Split(lost, " ")) {
            if (table.empty())
                continue;
            EXPECT_TRUE(!after.count(table) || after.at(table) != before.at(table)) << table;
            after[table] = before.at(table);
        }
        EXPECT_EQ(after, before);
        EXPECT_EQ(tempFiles(), temps);
        EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
    }

    SetTimeClock clock_{GetClock()};
    Clock* savedClock_ = nullptr;
    std::string risPath_;
};
