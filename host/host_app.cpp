#include "host/host_app.h"

#include "dialog/dialog_api.h"
#include "host/address_mask.h"
#include "host/desk/desk.h"
#include "host/host_records.h"
#include "host/module_library.h"
#include "host/script/grid_access.h"
#include "host/script/script.h"
#include "host/startup_checks.h"
#include "host/store/server_address.h"
#include "host/store/store.h"
#include "host/ui/host_style.h"
#include "host/ui/main_window.h"
#include "host/ui/qt_language.h"
#include "host/ui/startup_window.h"
#include "host/ui/user_code_window.h"
#include "platform/platform.h"
#include "platform/qt/qt_pump.h"
#include "plugin/messages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QPixmap>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace qm::host {

namespace {

// The grid's sort ("FIELD asc|desc", empty for the store's order) and filter join the kept layout.
void KeepViewInLayout(MainWindow& window) {
    const auto model = [&window]() -> QAbstractItemModel* {
        QAbstractItemView* grid = FindGrid(window.Workspace());
        return grid ? grid->model() : nullptr;
    };
    window.Desk().AddViewPiece(
        {"sort",
         [model]() -> QString {
             QAbstractItemModel* m = model();
             const int column = m ? m->property("sortColumn").toInt() : -1;
             if (column < 0) return {};
             const bool down = m->property("sortOrder").toInt() == Qt::DescendingOrder;
             return m->headerData(column, Qt::Horizontal, Qt::UserRole).toString() +
                    (down ? " desc" : " asc");
         },
         [&window, model](const QString& kept) {
             QAbstractItemModel* m = model();
             if (!m) return;
             const QStringList parts = kept.split(QLatin1Char(' '));
             QAbstractItemView* grid = FindGrid(window.Workspace());
             const int column = parts.size() == 2 ? FindFieldColumn(grid, parts[0]) : -1;
             m->sort(column, parts.value(1) == "desc" ? Qt::DescendingOrder : Qt::AscendingOrder);
         }});
    window.Desk().AddViewPiece({"filter",
                                [model]() -> QString {
                                    QAbstractItemModel* m = model();
                                    return m ? m->property("filterText").toString() : QString();
                                },
                                [model](const QString& kept) {
                                    if (QAbstractItemModel* m = model()) m->setProperty("filterText", kept);
                                }});
}

} // namespace

namespace {

constexpr char kCaption[] = "收入级别维护";
constexpr char kContextText[] = "MEM:TB_MEMAC";

std::string HostFolder() {
    return QCoreApplication::applicationDirPath().toStdString() + "/";
}

// The folder of dialog.dll: the host's own, else the module's.
std::string DialogFolder(const std::string& modulePath) {
    std::string own = HostFolder();
    if (std::filesystem::exists(own + dialog::kFileName)) return own;
    std::string moduleDir = std::filesystem::absolute(modulePath).parent_path().string() + "/";
    if (std::filesystem::exists(moduleDir + dialog::kFileName)) return moduleDir;
    return own;
}

// The forms ask for SimSun and Tahoma; map them to what is installed.
void SubstituteFonts() {
    const QStringList cjk = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback"};
    QFont::insertSubstitutions("SimSun", cjk);
    QFont::insertSubstitutions(QString::fromUtf8("宋体"), cjk);
    QFont::insertSubstitutions("Tahoma", QStringList{"DejaVu Sans"} + cjk);
    for (const QString& family : cjk)
        if (QFontDatabase::families().contains(family)) {
            QFont f(family);
            f.setPointSize(10);
            QApplication::setFont(f);
            break;
        }
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

} // namespace

std::string DialogLibraryFault(const std::string& folder, dialog::DialogApi& boxes) {
    const std::string path = folder + dialog::kFileName;
    if (boxes.Load(folder)) return {};
    std::string start = "找不到 " + path;
    if (std::filesystem::exists(path)) {
        const std::string detail = LastLibraryError();
        start = "无法使用 " + path + (detail.empty() ? std::string() : "（" + detail + "）");
    }
    return start +
           "：提示框无法显示，窗体的每个确认都会按“否”处理（未保存的修改既不能放弃，窗体也无法关闭），"
           "因此不打开窗体。请重新安装程序";
}

int RunHost(const Options& options) {
    UseHostStyle();
    InstallQtPump();
    SubstituteFonts();
    TranslateQtDialogs();

    std::vector<ScriptStep> steps;
    if (!options.ScriptPath.empty()) {
        std::string text;
        if (!ReadFile(options.ScriptPath, text)) {
            std::cerr << "qmhost: cannot read script " << options.ScriptPath << "\n";
            return 2;
        }
        try {
            steps = ParseScript(text);
        } catch (const std::invalid_argument& e) {
            std::cerr << "qmhost: " << e.what() << "\n";
            return 2;
        }
    }

    // Scripted and screenshot runs end with code 2 and one line; a clerk who started the host from
    // a desktop would see nothing of that, so there a window says it.
    const bool interactive = options.ScriptPath.empty() && options.ScreenshotPath.empty();
    auto cannotStart = [interactive, &options](const std::string& text) {
        const std::string why = MaskSecrets(text, options.DbPath);
        std::cerr << "qmhost: " << why << "\n";
        if (interactive) ShowStartupFailure(why);
        return 2;
    };

    // An absolute path, so the loader never searches the library path for a bare file name.
    const std::string modulePath = options.ModulePath.empty()
                                       ? HostFolder() + "libtarn204.so"
                                       : std::filesystem::absolute(options.ModulePath).string();
    const std::string appPath = DialogFolder(modulePath);

    // Without the boxes every question of the form reads as 否: it could then neither be left
    // nor its changes dropped, so it is not opened at all.
    dialog::DialogApi boxes;
    if (std::string why = DialogLibraryFault(appPath, boxes); !why.empty()) return cannotStart(why);
    const bool scripted = !options.ScriptPath.empty();
    if (scripted) {
        // Scripted runs answer every box from the queue; a box without an answer fails the run.
        boxes.ClearQueue();
        boxes.SetStrict(1);
    }

    const bool explicitDb = !options.DbPath.empty();
    const std::string dbPath = explicitDb ? options.DbPath : DefaultDatabasePath();
    ProbedFile probed;
    if (std::string why =
            CheckStoreFile(dbPath, explicitDb, Origin(options, "db"), kStoreLockWaitMs, &probed);
        !why.empty())
        return cannotStart(why);
    std::unique_ptr<Store> store;
    std::string user = options.User;
    std::string group = options.Group;
    try {
        store = std::make_unique<Store>(dbPath, std::move(probed));
        // On a server the audit stamps name the role the host logged in as, and nobody else.
        if (const std::string role = store->Db().LoginRole(); !role.empty()) {
            if (options.UserNamed && options.User != role)
                return cannotStart("用户“" + Excerpt(options.User) + "”不是本机登录服务器所用的角色“" + role +
                                   "”：请去掉 " + Origin(options, "user") + " 或改用该角色");
            user = role;
        }
        if (options.Demo) store->FillDemo();
    } catch (const std::exception& e) {
        return cannotStart((IsServerAddress(dbPath) ? "无法连接数据库服务器“" : "无法打开存储文件“") +
                           MaskedAddress(dbPath) + "”：" + e.what());
    }
    const LoginLimits limits = ReadLoginLimits(store->Db());
    std::vector<std::string> notes = options.Notes;
    if (interactive && !IsServerAddress(dbPath) &&
        !AskLoginCodes(user, options.UserNamed, group, options.GroupNamed, limits, options.SettingsFile,
                       notes))
        return 2;
    if (std::string why = CheckLogin(user, group, limits, Origin(options, "user"), Origin(options, "group"));
        !why.empty())
        return cannotStart(why);
    store->SetClerk({user, options.Group});
    // A damaged store: a clerk sees why nothing can be saved; a run nobody watches ends here.
    if (!interactive && !store->WritesRefused().empty()) return cannotStart(store->WritesRefused());

    // Records the module reads in place: they live as long as the window.
    HostContextRecord context(user, group, appPath);
    THostColors colors = DefaultHostColors();

    MainWindow window(*store);
    window.SetMaxRequestBytes(static_cast<std::size_t>(options.MaxRequestMb) << 20);
    window.Desk().Begin(user, dbPath);
    KeepViewInLayout(window);
    window.show();
    window.NoteStoreCondition();
    std::string noted;
    for (const std::string& note : notes) {
        std::cerr << "qmhost: " << note << "\n";
        noted += (noted.empty() ? "" : "\n") + note;
    }
    if (!noted.empty()) window.ShowStandingError(noted);

    ModuleLibrary module;
    std::string error;
    if (!module.Load(modulePath, error)) {
        error = "无法加载模块：" + error;
    } else {
        window.SetModule({&module, kCaption, context.Get(), kContextText, &colors, !options.NoSearch});
        window.OpenForm(&error);
    }
    if (window.FormId() == 0) {
        std::cerr << "qmhost: " << error << "\n";
        if (scripted || !options.ScreenshotPath.empty()) return 2;
        // Interactively the window stays, with the reason on show.
        window.ShowStandingError(error);
        return QApplication::exec();
    }

    int code = 0;
    if (scripted || !options.ScreenshotPath.empty()) {
        ScriptRunner runner(window, scripted ? &boxes : nullptr, std::cerr);
        if (scripted)
            code = runner.Run(steps) ? 0 : 1;
        else
            ScriptRunner::Settle();
        if (!options.ScreenshotPath.empty()) {
            // The offscreen pointer rests over the first toolbar button, which would show as hovered;
            // no one is pointing at anything there.
            if (QGuiApplication::platformName() == QLatin1String("offscreen"))
                for (QWidget* w : window.findChildren<QWidget*>())
                    if (w->testAttribute(Qt::WA_UnderMouse)) {
                        w->setAttribute(Qt::WA_UnderMouse, false);
                        w->update();
                    }
            ScriptRunner::Settle();
            if (!window.grab().save(QString::fromStdString(options.ScreenshotPath), "PNG")) {
                std::cerr << "qmhost: cannot write " << options.ScreenshotPath << "\n";
                code = code ? code : 2;
            }
        }
    } else {
        code = QApplication::exec();
    }
    // Damage a save ran into ends a scripted run as damage found at the start does.
    if (!interactive && !store->WritesRefused().empty()) {
        std::cerr << "qmhost: " << store->WritesRefused() << "\n";
        code = 2;
    }
    // The module stays loaded: its form is destroyed with the window's widget tree.
    return code;
}

} // namespace qm::host
