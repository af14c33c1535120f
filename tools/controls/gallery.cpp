// The controls gallery: the tab control in a handful of telling configurations, and the data-aware
// controls on a small table. Without arguments it shows them in one window; with --png DIR it
// writes each as DIR/tabs-NAME.png (the data controls as DIR/data-controls.png) and exits.
#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "canvas/draw_routines.h"
#include "canvas/font.h"
#include "canvas/widget_color.h"
#include "controls/page_control.h"
#include "dataset/data_source.h"
#include "dataset/mem_table.h"
#include "grid/db_controls.h"
#include "grid/db_grid.h"
#include "grid/db_value_controls.h"

namespace {

using namespace qm;

// A small coloured square with a white background corner as its transparent colour.
TBitmap Icon(TColor color) {
    TBitmap b(16, 16);
    Canvas& c = b.GetCanvas();
    c.Brush = TBrush{clWhite, TBrushStyle::bsSolid};
    c.FillRect(Rect(0, 0, 16, 16));
    c.Pen = TPen{clBlack};
    c.Brush = TBrush{color, TBrushStyle::bsSolid};
    c.Ellipse(Rect(2, 1, 14, 13));
    return b;
}

// A tab picture: rounded top, gradient face, magenta as the transparent colour.
TBitmap TabPicture(TColor top, TColor bottom) {
    TBitmap b(24, 24);
    Canvas& c = b.GetCanvas();
    c.Brush = TBrush{RGB(255, 0, 255), TBrushStyle::bsSolid};
    c.FillRect(Rect(0, 0, 24, 24));
    FillGradient(c, top, bottom, false, Rect(1, 1, 23, 24), 8);
    c.Pen = TPen{clGray};
    c.Brush.Style = TBrushStyle::bsClear;
    c.Polyline({{0, 23}, {0, 3}, {3, 0}, {20, 0}, {23, 3}, {23, 24}});
    c.SetPixel(0, 0, RGB(255, 0, 255));
    c.SetPixel(0, 23, RGB(255, 0, 255));
    return b;
}

struct Config {
    std::string name;
    std::function<void(TQmPageControl&)> setup;
};

TImageList& Images() {
    static TImageList list = [] {
        TImageList l(16, 16);
        l.Add(Icon(RGB(220, 40, 40)));
        l.Add(Icon(RGB(40, 160, 40)));
        l.Add(Icon(RGB(40, 80, 220)));
        return l;
    }();
    return list;
}

void AddPages(TQmPageControl& pc, const std::vector<std::string>& captions, int active = 0) {
    std::vector<TQmTabSheet*> pages;
    for (const auto& caption : captions) {
        auto* page = new TQmTabSheet(&pc);
        page->SetCaption(caption);
        auto* label = new QLabel(QString::fromStdString("Page \"" + caption + "\""), page);
        label->move(12, 12);
        auto* edit = new QLineEdit(page);
        edit->move(12, 40);
        pages.push_back(page);
    }
    if (active >= 0 && active < static_cast<int>(pages.size()))
        pc.SetActivePage(pages[static_cast<std::size_t>(active)]);
}

std::vector<Config> Configs() {
    return {
        {"top-classic",
         [](TQmPageControl& pc) {
             AddPages(pc, {"General", "Details", "Notes", "History"}, 1);
         }},
        {"bottom-dotnet",
         [](TQmPageControl& pc) {
             pc.SetTabPosition(TTabPosition::tpBottom);
             pc.SetTabStyle(TTabStyle::tsDotNet);
             pc.SetActiveColor(clWhite);
             pc.SetTabBackGroundColor(RGB(236, 233, 216));
             AddPages(pc, {"Income", "Levels", "Bounds"}, 0);
         }},
        {"left-delphi",
         [](TQmPageControl& pc) {
             pc.SetTabPosition(TTabPosition::tpLeft);
             pc.SetTabStyle(TTabStyle::tsDelphi);
             AddPages(pc, {"收入等级", "Second", "Third"}, 0);
         }},
        {"right-images",
         [](TQmPageControl& pc) {
             pc.SetTabPosition(TTabPosition::tpRight);
             pc.SetImages(&Images());
             AddPages(pc, {"Red", "Green", "Blue"}, 1);
             for (int i = 0; i < pc.PageCount(); ++i) {
                 pc.Pages(i)->SetImageIndex(i);
                 pc.Pages(i)->SetActiveImageIndex(i);
             }
         }},
        {"close-hover",
         [](TQmPageControl& pc) {
             pc.SetTabHoverColor(RGB(255, 240, 200));
             pc.SetTabHoverColorTo(RGB(255, 210, 120));
             pc.SetTabHoverBorder(RGB(230, 140, 0));
             pc.SetShowFocus(true);
             AddPages(pc, {"Orders", "Customers", "Invoices", "Stock"}, 0);
             for (int i = 0; i < pc.PageCount(); ++i)
                 pc.Pages(i)->SetShowClose(true);
         }},
        {"gradient-page",
         [](TQmPageControl& pc) {
             pc.SetRoundEdges(true);
             pc.SetDefaultTabColor(RGB(214, 226, 240));
             pc.SetDefaultTabColorTo(RGB(170, 196, 228));
             pc.SetActiveColor(RGB(255, 246, 214));
             pc.SetActiveColorTo(RGB(250, 214, 120));
             AddPages(pc, {"Summary", "Chart", "Data"}, 0);
             pc.Pages(0)->SetColor(RGB(255, 246, 214));
             pc.Pages(0)->SetColorTo(RGB(240, 200, 110));
         }},
        {"pictures",
         [](TQmPageControl& pc) {
             pc.SetTabBackGround(TabPicture(RGB(240, 240, 240), RGB(200, 200, 200)));
             pc.SetTabBackGroundActive(TabPicture(RGB(255, 255, 255), RGB(200, 220, 250)));
             pc.SetTabHeight(TabPicture(0, 0).Height()); // the picture fills the tab's height
             AddPages(pc, {"Alpha", "Beta", "Gamma"}, 1);
         }},
        {"multiline",
         [](TQmPageControl& pc) {
             pc.SetMultiLine(true);
             // More than one row's worth, so the strip wraps into rows.
             AddPages(pc,
                      {"January", "February", "March", "April", "May", "June", "July", "August", "September"},
                      5);
         }},
        {"scrolling",
         [](TQmPageControl& pc) {
             AddPages(pc, {"Customers", "Suppliers", "Products", "Warehouses", "Carriers", "Regions"}, 2);
         }},
        {"lengths",
         [](TQmPageControl& pc) {
             // Tabs sized from their layout texts, the image room and the strip's padding.
             TFont bold = pc.ActiveFont();
             bold.SetStyle(fsBold);
             pc.SetActiveFont(bold);
             pc.SetImages(&Images());
             AddPages(pc, {"Wide WW", "Close", "收入等级"}, 0);
             pc.Pages(1)->SetShowClose(true);
             for (int i = 0; i < pc.PageCount(); ++i)
                 pc.Pages(i)->SetImageIndex(i);
         }},
        {"native",
         [](TQmPageControl& pc) {
             pc.SetTabBorder3D(true);
             AddPages(pc, {"General", "Details", "Notes"}, 0);
         }},
    };
}

// A small table behind a grid and one data control of each kind.
struct DataControls {
    TMemTable table;
    TDataSource source;
    QWidget* box = nullptr;

    explicit DataControls(QWidget* parent) {
        table.FieldDefs().Add("NAME", ftString, 12);
        table.FieldDefs().Add("SINCE", ftDate);
        table.FieldDefs().Add("LIMIT", ftFloat);
        table.FieldDefs().Add("FLAG", ftInteger);
        table.CreateDataSet();
        const char* rows[][4] = {
            {"Low", "2008-06-02", "2999.5", "1"}, {"Mid", "2009-01-15", "5999", "0"}, {"High", "", "", ""}};
        for (auto& row : rows) {
            table.Append();
            for (int i = 0; i < 4; ++i)
                if (*row[i]) table.Fields(i)->SetText(row[i]);
            table.Post();
        }
        table.First();
        source.SetDataSet(&table);

        box = new QWidget(parent);
        auto* grid = new TQmDBGrid(box);
        grid->SetDataSource(&source);
        grid->setGeometry(0, 0, 300, 92);
        int y = 98;
        auto place = [&](QWidget* w, const char* label) {
            auto* l = new QLabel(label, box);
            l->move(4, y + 3);
            w->setGeometry(70, y, 150, 21);
            y += 25;
        };
        auto* name = new TQmDBEdit(box);
        auto* since = new TQmDBDateEdit(box);
        auto* limit = new TQmDBNumberEdit(box);
        auto* flag = new TQmDBCheckBox(box);
        flag->SetCaption("Flag");
        flag->SetValueChecked("1");
        flag->SetValueUnchecked("0");
        const std::pair<TQmDBControl*, const char*> bound[] = {
            {name, "NAME"}, {since, "SINCE"}, {limit, "LIMIT"}, {flag, "FLAG"}};
        for (auto [control, field] : bound) {
            control->SetDataSource(&source);
            control->SetDataField(field);
        }
        place(name, "Name");
        place(since, "Since");
        place(limit, "Limit");
        place(flag, "");
        box->resize(302, y);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qm::InstallFontSubstitutions();
    QString pngDir;
    for (int i = 1; i + 1 < argc; ++i)
        if (QString(argv[i]) == "--png") pngDir = argv[i + 1];

    QWidget window;
    window.setWindowTitle("Controls gallery");
    auto* grid = new QGridLayout(&window);
    std::vector<std::pair<std::string, TQmPageControl*>> controls;
    int n = 0;
    for (const Config& config : Configs()) {
        auto* box = new QWidget(&window);
        auto* pc = new TQmPageControl(box);
        pc->resize(300, 180);
        pc->move(0, 18);
        auto* title = new QLabel(QString::fromStdString(config.name), box);
        title->move(2, 0);
        box->setMinimumSize(302, 200);
        config.setup(*pc);
        // Four to a row keeps the window within an 800-pixel-high screen.
        grid->addWidget(box, n / 4, n % 4);
        controls.emplace_back(config.name, pc);
        ++n;
    }
    DataControls data(&window);
    {
        auto* title = new QLabel("data controls", &window);
        auto* holder = new QWidget(&window);
        auto* column = new QGridLayout(holder);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(title, 0, 0);
        data.box->setParent(holder);
        data.box->setMinimumSize(data.box->size());
        column->addWidget(data.box, 1, 0);
        grid->addWidget(holder, n / 4, n % 4, 1, 1, Qt::AlignTop);
    }
    if (pngDir.isEmpty()) {
        window.show();
        return app.exec();
    }
    QDir().mkpath(pngDir);
    window.show();
    app.processEvents();
    for (auto& [name, pc] : controls) {
        if (name == "close-hover") {
            // Hover the second tab and give the control the focus, as a user would see it.
            pc->setFocus();
            const TRect r = pc->PageTabRect(1);
            QMouseEvent move(QEvent::MouseMove, QPointF((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2),
                             pc->mapToGlobal(QPointF((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(pc, &move);
        }
        app.processEvents();
        const QString file = pngDir + "/tabs-" + QString::fromStdString(name) + ".png";
        if (!pc->grab().save(file)) {
            std::cerr << "cannot write " << file.toStdString() << "\n";
            return 1;
        }
        std::cout << file.toStdString() << "\n";
    }
    const QString dataFile = pngDir + "/data-controls.png";
    if (!data.box->grab().save(dataFile)) {
        std::cerr << "cannot write " << dataFile.toStdString() << "\n";
        return 1;
    }
    std::cout << dataFile.toStdString() << "\n";
    const QString whole = pngDir + "/gallery.png";
    if (!window.grab().save(whole)) {
        std::cerr << "cannot write " << whole.toStdString() << "\n";
        return 1;
    }
    std::cout << whole.toStdString() << "\n";
    return 0;
}
