#include "host/ui/user_code_window.h"

#include "host/settings.h"
#include "platform/platform.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace qm::host {

namespace {

bool TooLong(const std::string& value, int limit) {
    return limit > 0 && CharCount(value) > static_cast<std::size_t>(limit);
}

// The first `limit` characters.
std::string Cut(const std::string& value, int limit) {
    std::u32string chars = QString::fromStdString(value).toStdU32String();
    if (limit > 0 && chars.size() > static_cast<std::size_t>(limit))
        chars.resize(static_cast<std::size_t>(limit));
    return QString::fromStdU32String(chars).toStdString();
}

// Empty when the value may be used, else what is wrong with it.
QString Problem(const QString& value, const char* what, int limit) {
    if (value.isEmpty()) return QString::fromUtf8("%1不能为空").arg(QString::fromUtf8(what));
    for (QChar c : value)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return QString::fromUtf8("%1不能含控制字符").arg(QString::fromUtf8(what));
    const auto n = static_cast<int>(value.toStdU32String().size());
    if (limit > 0 && n > limit)
        return QString::fromUtf8("%1最多 %2 个字符，现在有 %3 个")
            .arg(QString::fromUtf8(what))
            .arg(limit)
            .arg(n);
    return {};
}

} // namespace

QDialog* NewUserCodeWindow(LoginCodes& codes, const LoginLimits& limits, const std::string& settingsFile) {
    auto* window = new QDialog;
    window->setObjectName("userCode");
    window->setWindowTitle(QString::fromUtf8("用户代码 - 业务管理客户端"));
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(20, 18, 20, 14);

    QString intro;
    if (codes.AskUser)
        intro += QString::fromUtf8("登录名“%1”有 %2 个字符，而记录的创建人和修改人字段（%3）最多 %4 个字符。")
                     .arg(QString::fromStdString(Excerpt(codes.User)))
                     .arg(CharCount(codes.User))
                     .arg(QString::fromStdString(limits.UserColumn))
                     .arg(limits.User);
    if (codes.AskGroup)
        intro += QString::fromUtf8("用户组“%1”有 %2 个字符，而记录的用户组字段（%3）最多 %4 个字符。")
                     .arg(QString::fromStdString(Excerpt(codes.Group)))
                     .arg(CharCount(codes.Group))
                     .arg(QString::fromStdString(limits.GroupColumn))
                     .arg(limits.Group);
    intro += QString::fromUtf8("\n\n请给出较短的代码：它会写入你保存的每条记录的审计字段，"
                               "记下由谁新增、修改。代码保存在设置文件“%1”中，以后启动时直接使用。")
                 .arg(QString::fromStdString(settingsFile));
    auto* text = new QLabel(intro, window);
    text->setObjectName("userCodeReason");
    text->setWordWrap(true);
    column->addWidget(text);

    auto* form = new QFormLayout;
    QLineEdit* userEdit = nullptr;
    QLineEdit* groupEdit = nullptr;
    auto addField = [&](const char* label, const char* name, const std::string& value, int limit) {
        auto* edit = new QLineEdit(QString::fromStdString(Cut(value, limit)), window);
        edit->setObjectName(name);
        edit->setPlaceholderText(QString::fromUtf8("最多 %1 个字符").arg(limit));
        form->addRow(QString::fromUtf8(label), edit);
        return edit;
    };
    if (codes.AskUser) userEdit = addField("用户代码：", "userCodeEdit", codes.User, limits.User);
    if (codes.AskGroup) groupEdit = addField("用户组：", "groupCodeEdit", codes.Group, limits.Group);
    column->addLayout(form);

    auto* error = new QLabel(window);
    error->setObjectName("userCodeError");
    error->setStyleSheet("color: #b00000");
    error->hide();
    column->addWidget(error);

    auto* buttons = new QDialogButtonBox(window);
    buttons->addButton(QString::fromUtf8("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QString::fromUtf8("取消"), QDialogButtonBox::RejectRole);
    column->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, window, [=, &codes] {
        const QString user = userEdit ? userEdit->text().trimmed() : QString();
        const QString group = groupEdit ? groupEdit->text().trimmed() : QString();
        QString why = userEdit ? Problem(user, "用户代码", limits.User) : QString();
        QLineEdit* wrong = userEdit;
        if (why.isEmpty() && groupEdit) {
            why = Problem(group, "用户组", limits.Group);
            wrong = groupEdit;
        }
        if (!why.isEmpty()) {
            error->setText(why);
            error->show();
            wrong->setFocus();
            return;
        }
        if (userEdit) codes.User = user.toStdString();
        if (groupEdit) codes.Group = group.toStdString();
        window->accept();
    });
    window->resize(520, 0);
    return window;
}

bool AskLoginCodes(std::string& user, bool userNamed, std::string& group, bool groupNamed,
                   const LoginLimits& limits, const std::string& settingsFile,
                   std::vector<std::string>& notes) {
    LoginCodes codes{user, group, !userNamed && TooLong(user, limits.User),
                     !groupNamed && TooLong(group, limits.Group)};
    if (!codes.AskUser && !codes.AskGroup) return true;
    std::unique_ptr<QDialog> window(NewUserCodeWindow(codes, limits, settingsFile));
    if (window->exec() != QDialog::Accepted) return false;
    std::string why;
    if ((codes.AskUser && !StoreSetting(settingsFile, "user", codes.User, why)) ||
        (codes.AskGroup && !StoreSetting(settingsFile, "group", codes.Group, why)))
        notes.push_back(why + "：本次启动使用所给的代码，下次启动还会询问");
    user = codes.User;
    group = codes.Group;
    return true;
}

} // namespace qm::host
