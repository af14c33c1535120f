#include "host/host_app.h"

#include "dialog/dialog_api.h"
#include "host/desk/desk.h"
#include "host/host_records.h"
#include "host/module_library.h"
#include "host/script/script.h"
#include "host/startup_checks.h"
#include "host/store/pg_store.h"
#include "host/store/store.h"
#include "host/ui/main_window.h"
#include "host/ui/startup_window.h"
#include "platform/platform.h"
#include "platform/qt/qt_pump.h"
#include "plugin/messages.h"

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

int RunHost(const Options& options) {
    InstallQtPump();
    SubstituteFonts();

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
    auto cannotStart = [interactive](const std::string& why) {
        std::cerr << "qmhost: " << why << "\n";
        if (interactive) ShowStartupFailure(why);
        return 2;
    };

    const bool explicitDb = !options.DbPath.empty();
    const std::string dbPath = explicitDb ? options.DbPath : DefaultDatabasePath();
    if (std::string why = CheckStoreFile(dbPath, explicitDb); !why.empty()) return cannotStart(why);
    std::unique_ptr<Store> store;
    std::string user = options.User;
    try {
        store = std::make_unique<Store>(dbPath);
        // On a server the audit stamps name the role the host logged in as, and nobody else.
        if (const std::string role = store->Db().LoginRole(); !role.empty()) {
            if (options.UserNamed && options.User != role)
                return cannotStart("用户“" + Excerpt(options.User) + "”不是本机登录服务器所用的角色“" + role +
                                   "”：请去掉 --user 或改用该角色");
            user = role;
        }
        if (options.Demo) store->FillDemo();
    } catch (const std::exception& e) {
        return cannotStart((IsServerAddress(dbPath) ? "无法连接数据库服务器“" : "无法打开存储文件“") +
                           dbPath + "”：" + e.what());
    }
    if (std::string why = CheckLogin(user, options.Group, ReadLoginLimits(store->Db())); !why.empty())
        return cannotStart(why);

    // An absolute path, so the loader never searches the library path for a bare file name.
    const std::string modulePath = options.ModulePath.empty()
                                       ? HostFolder() + "libtarn204.so"
                                       : std::filesystem::absolute(options.ModulePath).string();
    const std::string appPath = DialogFolder(modulePath);

    // Scripted runs answer every box from the queue; a box without an answer fails the run.
    dialog::DialogApi boxes;
    const bool scripted = !options.ScriptPath.empty();
    const bool haveBoxes = boxes.Load(appPath);
    if (scripted) {
        if (!haveBoxes) {
            std::cerr << "qmhost: cannot use " << appPath << dialog::kFileName << " for scripted answers\n";
            return 2;
        }
        boxes.ClearQueue();
        boxes.SetStrict(1);
    }

    // Records the module reads in place: they live as long as the window.
    HostContextRecord context(user, options.Group, appPath);
    THostColors colors = DefaultHostColors();

    MainWindow window(*store);
    window.SetMaxRequestBytes(static_cast<std::size_t>(options.MaxRequestMb) << 20);
    window.Desk().Begin(user, dbPath);
    window.show();
    if (!haveBoxes) {
        // The module would then read every confirmation as "no" without a word.
        const std::string why =
            "找不到 " + appPath + dialog::kFileName + "：提示框无法显示，所有确认都会按“否”处理";
        std::cerr << "qmhost: " << why << "\n";
        window.ShowStandingError(why);
    }
    window.NoteStoreCondition();

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
    // The module stays loaded: its form is destroyed with the window's widget tree.
    return code;
}

} // namespace qm::host
