#pragma once
// A real window on the virtual-time backend for the fuzz targets that drive
// it, built once per process under the offscreen platform.

#include "platform/virtual/virtual_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>

#include <memory>

struct FuzzWindow {
    explicit FuzzWindow(char *programName)
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char *argv[] = {programName, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        world = std::make_unique<platform::virt::VirtualWorld>(QDateTime(QDate(2026, 12, 7), QTime(10, 0)),
                                                              dir.path());
        form = std::make_unique<Form1>(world->platform);
        world->serial->open();
    }
    std::unique_ptr<QApplication> app;
    QTemporaryDir dir;
    std::unique_ptr<platform::virt::VirtualWorld> world;
    std::unique_ptr<Form1> form;
};
