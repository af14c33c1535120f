#include "host/ui/command_bar.h"

#include "host/ui/style_icons.h"

#include <QAction>
#include <QImage>
#include <QPixmap>
#include <QToolBar>

#include <exception>

namespace qm::host {

namespace {

// Keys a clerk reaches without the mouse. In the edit and insert states the grid takes
// Ctrl+Delete for its own row delete before the window sees it.
const StandardCommand kStandard[] = {
    {"new", "新增", QKeySequence::New, 0, QStyle::SP_FileIcon, "file"},
    {"update", "修改", QKeySequence::UnknownKey, Qt::Key_F2, QStyle::SP_FileDialogDetailedView,
     "viewdetailed"},
    {"delete", "删除", QKeySequence::UnknownKey, (Qt::CTRL | Qt::Key_Delete).toCombined(),
     QStyle::SP_TrashIcon, "trash"},
    {"save", "保存", QKeySequence::Save, 0, QStyle::SP_DialogSaveButton, "standardbutton-save"},
    {"search", "查询", QKeySequence::UnknownKey, Qt::Key_F3, QStyle::SP_FileDialogContentsView,
     "filecontents"},
    {"cancel", "取消", QKeySequence::UnknownKey, Qt::Key_Escape, QStyle::SP_DialogCancelButton,
     "standardbutton-cancel"},
    {"firstrec", "首条", QKeySequence::UnknownKey, (Qt::CTRL | Qt::Key_Home).toCombined(),
     QStyle::SP_MediaSkipBackward, "media-skip-backward"},
    {"priorrec", "上条", QKeySequence::UnknownKey, (Qt::CTRL | Qt::Key_PageUp).toCombined(),
     QStyle::SP_MediaSeekBackward, "media-seek-backward"},
    {"nextrec", "下条", QKeySequence::UnknownKey, (Qt::CTRL | Qt::Key_PageDown).toCombined(),
     QStyle::SP_MediaSeekForward, "media-seek-forward"},
    {"lastrec", "末条", QKeySequence::UnknownKey, (Qt::CTRL | Qt::Key_End).toCombined(),
     QStyle::SP_MediaSkipForward, "media-skip-forward"},
};

QIcon IconOf(const TCommandBitmap& bitmap) {
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            TColor c = ColorToRGB(bitmap.Pixel(x, y));
            image.setPixel(x, y, qRgb(int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c))));
        }
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

const StandardCommand* FindStandardCommand(std::string_view name) {
    for (const StandardCommand& s : kStandard)
        if (SameText(s.Name, name)) return &s;
    return nullptr;
}

QKeySequence ShortCutToKeySequence(std::uint16_t shortcut) {
    if (shortcut == 0) return {};
    const int vk = shortcut & 0xFF;
    int key = 0;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        key = vk;
    else if (vk >= 0x70 && vk <= 0x7B)
        key = Qt::Key_F1 + (vk - 0x70);
    else {
        switch (vk) {
        case 0x08:
            key = Qt::Key_Backspace;
            break;
        case 0x09:
            key = Qt::Key_Tab;
            break;
        case 0x0D:
            key = Qt::Key_Return;
            break;
        case 0x1B:
            key = Qt::Key_Escape;
            break;
        case 0x20:
            key = Qt::Key_Space;
            break;
        case 0x21:
            key = Qt::Key_PageUp;
            break;
        case 0x22:
            key = Qt::Key_PageDown;
            break;
        case 0x23:
            key = Qt::Key_End;
            break;
        case 0x24:
            key = Qt::Key_Home;
            break;
        case 0x25:
            key = Qt::Key_Left;
            break;
        case 0x26:
            key = Qt::Key_Up;
            break;
        case 0x27:
            key = Qt::Key_Right;
            break;
        case 0x28:
            key = Qt::Key_Down;
            break;
        case 0x2D:
            key = Qt::Key_Insert;
            break;
        case 0x2E:
            key = Qt::Key_Delete;
            break;
        default:
            return {};
        }
    }
    int mods = 0;
    if (shortcut & 0x2000) mods |= Qt::SHIFT;
    if (shortcut & 0x4000) mods |= Qt::CTRL;
    if (shortcut & 0x8000) mods |= Qt::ALT;
    return QKeySequence(key | mods);
}

CommandBar::CommandBar(QToolBar* bar, ErrorSink onError)
    : QObject(bar), FBar(bar), FOnError(std::move(onError)) {}

void CommandBar::SetBaseSet(TChildCommand* const* field) {
    FBase = field;
    Rebuild();
}

void CommandBar::SetOwnSet(TChildCommand* const* field) {
    FOwn = field;
    Rebuild();
}

void CommandBar::Clear() {
    FBase = FOwn = nullptr;
    Rebuild();
}

TCommand* CommandBar::Find(std::string_view name) const {
    for (TChildCommand* const* field : {FBase, FOwn})
        if (field && *field)
            if (TCommand* c = (*field)->Commands()->Find(name)) return c;
    return nullptr;
}

bool CommandBar::Has(std::string_view name) const {
    return Find(name) != nullptr;
}

bool CommandBar::Run(std::string_view name) {
    return RunCommand(Find(name), name);
}

bool CommandBar::RunCommand(TCommand* command, std::string_view name) {
    if (!command) return false;
    if (FOnStart) FOnStart(name);
    try {
        command->Execute();
    } catch (const std::exception& e) {
        if (FOnError) FOnError("命令“" + std::string(name) + "”执行失败：" + e.what());
    } catch (...) {
        if (FOnError) FOnError("命令“" + std::string(name) + "”执行失败");
    }
    if (FOnRan) FOnRan(name);
    return true;
}

QList<QAction*> CommandBar::Actions() const {
    return FBar->actions();
}

void CommandBar::AddSet(TChildCommand* const* field) {
    if (!field || !*field) return;
    const TCommands& commands = *(*field)->Commands();
    if (commands.Count() > 0 && !FBar->actions().isEmpty()) FBar->addSeparator();
    for (int i = 0; i < commands.Count(); ++i) {
        const TCommand* command = commands.Items(i);
        const StandardCommand* standard = FindStandardCommand(command->Name);
        QString caption =
            standard ? QString::fromUtf8(standard->Caption)
                     : QString::fromStdString(command->Caption.empty() ? command->Name : command->Caption);
        auto* action = new QAction(caption, FBar);
        action->setObjectName(QString::fromStdString(command->Name));
        if (!command->Bitmap().Empty())
            action->setIcon(IconOf(command->Bitmap()));
        else if (standard)
            action->setIcon(StyleIcon(standard->Icon, standard->Picture));
        QKeySequence keys = ShortCutToKeySequence(command->ShortCut);
        if (keys.isEmpty() && standard) {
            if (standard->Key != QKeySequence::UnknownKey)
                keys = QKeySequence(standard->Key);
            else if (standard->ExtraKey)
                keys = QKeySequence(standard->ExtraKey);
        }
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QString tip = command->Hint.empty() ? caption : QString::fromStdString(command->Hint);
        if (!keys.isEmpty()) tip += " (" + keys.toString(QKeySequence::NativeText) + ")";
        action->setToolTip(tip);
        // The command is looked up again when it runs: the set is read in place.
        const std::string name = command->Name;
        connect(action, &QAction::triggered, this, [this, field, name] {
            RunCommand(*field ? (*field)->Commands()->Find(name) : nullptr, name);
        });
        FBar->addAction(action);
    }
}

void CommandBar::Rebuild() {
    for (QAction* a : FBar->actions()) {
        FBar->removeAction(a);
        a->deleteLater();
    }
    AddSet(FBase);
    AddSet(FOwn);
}

} // namespace qm::host
