#include "host/desk/desk.h"

#include "host/address_mask.h"
#include "host/desk/column_keeper.h"
#include "host/desk/dark_palette.h"
#include "host/desk/desk_output.h"
#include "host/desk/grid_table.h"
#include "host/desk/palette_icons.h"
#include "host/desk/where_label.h"
#include "host/settings.h"
#include "host/ui/command_bar.h"
#include "host/ui/icon_on_demand.h"
#include "host/ui/main_window.h"
#include "platform/qt/qt_pump.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QUrl>

#include <algorithm>

#ifndef QM_VERSION
#error "QM_VERSION is set by the build from the project's version"
#endif

namespace qm::desk {

namespace {

// Past this many rows an export shows its progress.
constexpr std::size_t kProgressRows = 10000;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QAction* AddAction(QMenu* menu, const char* name, const char* text, const QKeySequence& keys) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

} // namespace

Desk::Desk(host::MainWindow& window) : QObject(&window), FWindow(window) {
    ApplyPaletteFromEnvironment();
    window.setWindowIcon(host::IconOnDemand(QStringLiteral(":/qmclient/qmhost.svg")));
    BuildMenus();
    if (auto* bar = window.findChild<QToolBar*>(QStringLiteral("commandBar"))) new PaletteIcons(*bar);
    FWhere = new WhereLabel(*window.statusBar(), [this] { return Grid(); });
    window.Commands().SetOnRan([this](std::string_view name) {
        if (FWhere) FWhere->CommandRan(name);
    });
    window.installEventFilter(this);
}

Desk::~Desk() {
    delete FWhere;
}

void Desk::BuildMenus() {
    QMenuBar* bar = FWindow.menuBar();
    QMenu* file = bar->addMenu(QString::fromUtf8("文件(&F)"));
    file->setObjectName(QStringLiteral("fileMenu"));
    connect(AddAction(file, "exportRows", "导出(&E)...", QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, [this] { ExportAsked(); });
    connect(AddAction(file, "printRows", "打印(&P)...", QKeySequence::Print), &QAction::triggered, this,
            [this] { PreviewAsked(); });
    connect(AddAction(file, "exportPdf", "导出 PDF...", QKeySequence()), &QAction::triggered, this,
            [this] { PdfAsked(); });
    file->addSeparator();
    connect(AddAction(file, "restoreLayout", "恢复默认布局", QKeySequence()), &QAction::triggered, this,
            [this] { RestoreDefaultLayout(); });

    QMenu* help = bar->addMenu(QString::fromUtf8("帮助(&H)"));
    help->setObjectName(QStringLiteral("helpMenu"));
    connect(AddAction(help, "manual", "使用说明", QKeySequence::HelpContents), &QAction::triggered, this,
            [this] {
                const QString path = ManualPath();
                if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
                    FWindow.ShowError(path.isEmpty() ? "找不到使用说明（manual.html）"
                                                     : "无法打开使用说明：" + path.toStdString());
            });
    connect(AddAction(help, "about", "关于", QKeySequence()), &QAction::triggered, this,
            [this] { QMessageBox::about(&FWindow, QString::fromUtf8("关于"), AboutText()); });
}

QString Desk::ManualPath() {
    // Installed beside the programs, as the build tree has it too.
    const QString candidate = QCoreApplication::applicationDirPath() + "/manual.html";
    return QFileInfo::exists(candidate) ? QFileInfo(candidate).canonicalFilePath() : QString();
}

QString Desk::AboutText() const {
    return QString::fromUtf8("%1 %2\n版本：%3\n许可证：MIT\n存储：%4\n用户：%5")
        .arg(QString::fromUtf8(host::MainWindow::AppTitle), QStringLiteral("qmhost"),
             QStringLiteral(QM_VERSION), FStore.empty() ? QString::fromUtf8("（未知）") : Q(FStore),
             Q(FUser));
}

void Desk::Begin(const std::string& user, const std::string& store) {
    FUser = user;
    FStore = host::MaskedAddress(store);
    FLayout = std::make_unique<LayoutMemory>(LayoutPath(Q(host::SettingsPath())), Q(user));
    if (!FLayout->RestoreWindow(FWindow)) SizeForScreen();
}

void Desk::SizeForScreen() {
    const QScreen* screen = FWindow.screen() ? FWindow.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    // Most of the screen, leaving a margin for the desktop's panels; never under the minimum.
    const QSize size = QSize(room.width() * 4 / 5, room.height() * 4 / 5)
                           .expandedTo(QSize(1000, 680))
                           .boundedTo(room.size())
                           .expandedTo(FWindow.minimumSize());
    FWindow.resize(size);
    FWindow.move(room.center() - QPoint(size.width() / 2, size.height() / 2));
}

QTableView* Desk::Grid() const {
    for (QTableView* grid : FWindow.Workspace()->findChildren<QTableView*>())
        if (grid->isVisibleTo(FWindow.Workspace()) && grid->model() && grid->model()->columnCount() > 0)
            return grid;
    return nullptr;
}

void Desk::KeepRoomForForm() {
    QWidget* form = WidgetOfHandle(FWindow.FormId());
    if (!form) return;
    // The form fills the workspace; the workspace never gets smaller than the form wants, and the
    // window's layout takes that up as the window's own minimum.
    FWindow.Workspace()->setMinimumSize(form->minimumSizeHint().expandedTo(form->minimumSize()));
}

void Desk::FormClosing() {
    SaveLayout();
    FWindow.Workspace()->setMinimumSize(0, 0);
    // The form is hidden once this returns.
    if (FWhere)
        QMetaObject::invokeMethod(
            FWhere, [where = FWhere] { where->Refresh(); }, Qt::QueuedConnection);
}

void Desk::FormOpened() {
    KeepRoomForForm();
    if (FWhere) FWhere->Refresh();
    QTableView* grid = Grid();
    if (!grid || grid == FLaidOutGrid) return;
    FLaidOutGrid = grid;
    FColumns = new ColumnKeeper(*grid, FLayout ? FLayout->Columns() : QStringList());
    for (const ViewPiece& piece : FPieces)
        piece.Restore(FLayout ? FLayout->Text(piece.Name) : QString());
}

void Desk::AddViewPiece(ViewPiece piece) {
    FPieces.push_back(std::move(piece));
}

void Desk::SaveLayout() {
    if (!FLayout) return;
    FLayout->SaveWindow(FWindow);
    if (FColumns) FLayout->KeepColumns(FColumns->Current());
    if (Grid())
        for (const ViewPiece& piece : FPieces)
            FLayout->KeepText(piece.Name, piece.Save());
}

void Desk::RestoreDefaultLayout() {
    if (FLayout) FLayout->Forget();
    if (FWindow.isMaximized() || FWindow.isFullScreen()) FWindow.showNormal();
    SizeForScreen();
    if (FColumns) FColumns->Reset();
    if (Grid())
        for (const ViewPiece& piece : FPieces)
            piece.Restore(QString());
    FWindow.statusBar()->showMessage(QString::fromUtf8("已恢复默认布局"));
}

bool Desk::eventFilter(QObject* watched, QEvent* event) {
    // Asked to close, while the form is still there: what the clerk arranged is kept (again at the
    // next attempt when the form refuses).
    if (watched == &FWindow && event->type() == QEvent::Close && FWindow.FormId() != 0) SaveLayout();
    return false;
}

bool Desk::HaveRows(const char* what) {
    if (Grid()) return true;
    FWindow.ShowError(std::string("没有打开的窗体，无法") + what);
    return false;
}

QString Desk::Title() const {
    QWidget* form = WidgetOfHandle(FWindow.FormId());
    return form && !form->windowTitle().isEmpty() ? form->windowTitle()
                                                  : QString::fromUtf8(host::MainWindow::AppTitle);
}

ExportResult Desk::Export(const std::string& path) {
    ExportResult result;
    ExportFormat format{};
    const OutputApi* out = Output(result.Error);
    if (!out) {
        // The reason is in the result already.
    } else if (!out->FormatFromPath(path, format)) {
        result.Error = "无法导出到“" + path + "”：请用 .csv 或 .xlsx 作为文件扩展名";
    } else if (QTableView* grid = Grid(); !grid) {
        result.Error = "没有打开的窗体，无法导出";
    } else {
        const GridTable table(*grid);
        std::unique_ptr<QProgressDialog> progress;
        if (table.RowCount() > kProgressRows) {
            progress =
                std::make_unique<QProgressDialog>(QString::fromUtf8("正在导出..."), QString::fromUtf8("取消"),
                                                  0, static_cast<int>(table.RowCount()), &FWindow);
            progress->setObjectName(QStringLiteral("exportProgress"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
        }
        ExportProgress told;
        if (progress)
            told = [&progress](std::size_t done, std::size_t) {
                progress->setValue(static_cast<int>(done));
                QCoreApplication::processEvents();
                return !progress->wasCanceled();
            };
        result = out->ExportTable(table, path, format, told);
        if (result.Written)
            FWindow.statusBar()->showMessage(
                QString::fromUtf8("已导出 %1 条到 %2").arg(table.RowCount()).arg(Q(path)));
        else if (result.Cancelled)
            FWindow.statusBar()->showMessage(QString::fromUtf8("已取消导出"));
    }
    if (!result.Error.empty()) FWindow.ShowError(result.Error);
    return result;
}

bool Desk::PrintPdf(const std::string& path, std::string& why) {
    QTableView* grid = Grid();
    if (!grid) {
        why = "没有打开的窗体，无法导出 PDF";
        return false;
    }
    const OutputApi* out = Output(why);
    if (!out) return false;
    const GridTable table(*grid);
    if (!out->PrintPdf(table, {Title(), QDate::currentDate().toString(Qt::ISODate), Q(FUser)}, path, why))
        return false;
    FWindow.statusBar()->showMessage(QString::fromUtf8("已导出 PDF 到 %1").arg(Q(path)));
    return true;
}

void Desk::ExportAsked() {
    if (!HaveRows("导出")) return;
    QFileDialog dialog(&FWindow, QString::fromUtf8("导出"));
    dialog.setObjectName(QStringLiteral("exportFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QString::fromUtf8("Excel 工作簿 (*.xlsx)"), QString::fromUtf8("CSV 文件 (*.csv)")});
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QLatin1String("*.csv")) ? QStringLiteral("csv")
                                                                        : QStringLiteral("xlsx"));
    });
    dialog.selectFile(Title());
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (chosen) Export(dialog.selectedFiles().front().toStdString());
    FocusGrid();
}

void Desk::PdfAsked() {
    if (!HaveRows("导出 PDF")) return;
    QFileDialog dialog(&FWindow, QString::fromUtf8("导出 PDF"));
    dialog.setObjectName(QStringLiteral("pdfFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QString::fromUtf8("PDF 文件 (*.pdf)")});
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(Title());
    std::string why;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() &&
        !PrintPdf(dialog.selectedFiles().front().toStdString(), why))
        FWindow.ShowError(why);
    FocusGrid();
}

void Desk::PreviewAsked() {
    if (!HaveRows("打印")) return;
    std::string why;
    if (const OutputApi* out = Output(why)) {
        const GridTable table(*Grid());
        out->Preview(table, {Title(), QDate::currentDate().toString(Qt::ISODate), Q(FUser)}, FWindow);
    } else {
        FWindow.ShowError(why);
    }
    FocusGrid();
}

void Desk::FocusGrid() {
    // As after every box: the clerk goes on typing in the grid.
    if (QTableView* grid = Grid()) {
        FWindow.activateWindow();
        grid->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace qm::desk
