// qmhost's pieces put together in the benchmark's process as qmhost puts them together: a main
// window over a store with the built module's income-level form open, not yet searched.
#pragma once

#include <QCoreApplication>

#include <memory>
#include <string>

#include "host/host_records.h"
#include "host/module_library.h"
#include "host/script/script.h"
#include "host/ui/main_window.h"

namespace qm::bench {

struct OpenForm {
    std::unique_ptr<host::HostContextRecord> Context;
    THostColors Colors = host::DefaultHostColors();
    std::unique_ptr<host::MainWindow> Window;
    host::ModuleLibrary Module;
    bool Ready = false;

    explicit OpenForm(host::Store& store) {
        const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";
        Context = std::make_unique<host::HostContextRecord>("u001", "g01", folder);
        Window = std::make_unique<host::MainWindow>(store);
        Window->resize(1024, 700);
        Window->show();
        std::string error;
        if (!Module.Load(folder + "libtarn204.so", error)) return;
        // Opened as the host's menu opens it; the benchmark runs the search itself.
        Window->SetModule({&Module, "收入级别维护", Context->Get(), "MEM:TB_MEMAC", &Colors, false});
        if (!Window->OpenForm()) return;
        host::ScriptRunner::Settle();
        Ready = true;
    }
};

} // namespace qm::bench
