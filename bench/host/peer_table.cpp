// The plain Qt way to show every income level: a QSqlTableModel on TB_MEMAC in a shown QTableView,
// all rows fetched, painted once, then exit. bench_host_process launches it beside qmhost as the
// peer that the host's time and memory are held against.
//
//   peer_table [--idle] FILE [ROWS]
//
// --idle does everything but the select, so that its time and peak memory are what the program
// costs before it holds any row. With ROWS, a run that ends with another row count fails.
// Exit code: 0 done, 1 the file or the table could not be read or the count differs, 2 usage.
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlTableModel>
#include <QTableView>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Fail(const char* what, const QString& why) {
    std::fprintf(stderr, "peer_table: %s: %s\n", what, why.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    bool idle = false;
    const char* file = nullptr;
    long expected = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--idle") == 0)
            idle = true;
        else if (!file)
            file = argv[i];
        else
            expected = std::strtol(argv[i], nullptr, 10);
    }
    if (!file) {
        std::fprintf(stderr, "usage: peer_table [--idle] FILE [ROWS]\n");
        return 2;
    }

    QApplication app(argc, argv);
    int code = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(QString::fromLocal8Bit(file));
        // Read only: the peer must not create a file that is missing.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) return Fail("open", db.lastError().text());

        QSqlTableModel model(nullptr, db);
        model.setTable(QStringLiteral("TB_MEMAC"));
        if (model.lastError().isValid()) return Fail("table", model.lastError().text());
        // The host answers in code order; the peer reads the same order through the same index.
        model.setSort(model.fieldIndex(QStringLiteral("MEMAC001")), Qt::AscendingOrder);
        model.setEditStrategy(QSqlTableModel::OnManualSubmit);

        QTableView view;
        view.setModel(&model);
        view.resize(1000, 700);
        view.show();
        if (!idle) {
            if (!model.select()) return Fail("select", model.lastError().text());
            while (model.canFetchMore())
                model.fetchMore();
        }
        view.repaint();
        QApplication::processEvents();

        const long rows = model.rowCount();
        if (expected >= 0 && rows != expected) {
            std::fprintf(stderr, "peer_table: %ld rows, expected %ld\n", rows, expected);
            code = 1;
        }
    }
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    return code;
}
