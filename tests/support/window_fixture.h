#pragma once
// A real Form1 on the virtual-time backend, with the device model at the far
// end of the line and the sample data files in a temporary program
// directory. Tests click real widgets and read the codes the device got.

#include "model/device_model.h"
#include "platform/virtual/virtual_platform.h"
#include "ui/form1.h"
#include "user_input.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class WindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<platform::virt::VirtualWorld> world;
    sim::DeviceModel device;
    std::unique_ptr<Form1> form;
    std::unique_ptr<UserInput> input;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
            QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name), path(name));
    }

    void TearDown() override
    {
        input.reset();
        form.reset();
        world.reset();
    }

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readFile(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Builds the world and the window at `at` without starting it.
    void create(const QDateTime &at = QDateTime(QDate(2026, 12, 7), QTime(10, 0)))
    {
        world = std::make_unique<platform::virt::VirtualWorld>(at, dir.path());
        world->serial->setPeer(&device);
        form = std::make_unique<Form1>(world->platform);
        input = std::make_unique<UserInput>(form.get());
    }

    // Builds and starts the window, as the program does; shows it so that
    // clicks reach it. Returns the result of the start.
    bool start(const QDateTime &at = QDateTime(QDate(2026, 12, 7), QTime(10, 0)))
    {
        create(at);
        const bool ok = form->Form_Load();
        if (ok) {
            form->show();
            input->activate();
        }
        return ok;
    }

    // Starts and lets the first status exchange finish.
    void startAndSettle(const QDateTime &at = QDateTime(QDate(2026, 12, 7), QTime(10, 0)))
    {
        ASSERT_TRUE(start(at));
        run(3.5);
    }

    void run(double seconds) { world->sched.runFor(seconds); }
    double now() const { return world->sched.now(); }

    // Codes that reached the device, with the time their last character arrived.
    std::vector<platform::virt::VirtualSerialPort::CodeAt> codes() const
    {
        return world->serial->codesToDevice();
    }
    // Just the code texts from time `from` on.
    std::vector<std::string> codeTexts(double from = -1) const
    {
        std::vector<std::string> out;
        for (const auto &c : codes())
            if (c.t >= from)
                out.push_back(c.code.toStdString());
        return out;
    }
    void clearLine() { world->serial->clearLog(); }

    // A click where `w` is in the window, and a character typed with the
    // focus wherever it is: the way the window system delivers them.
    void click(QWidget *w) { input->click(w); }
    void type(char c) { input->type(c); }

    // Brings up the configuration panels with "config", unless they are
    // up already; the key sends nothing to the device.
    void showConfig()
    {
        if (!form->Demo->isVisible())
            click(form->Quelle[7]);
    }

    const std::vector<platform::virt::VirtualMessageBoxes::Shown> &messages() const
    {
        return world->messages->shown;
    }
};
