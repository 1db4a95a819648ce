#include "AboutBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ProgramIcon.h"

namespace tavrel {

namespace {

// Label and key of each navigation key, as "label\tkey" lines.
constexpr const char* kKeys =
    "Top of CSV\tHOME\nBottom of CSV\tEND\nTop of Page\tPAGE UP\nBottom of Page\tPAGE DOWN";

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Tavrel");
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));

    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel("Tavrel Version 1.02", this));
    text->addWidget(new QLabel("Table editor for the game's CSV data files.", this));
    text->addWidget(new QLabel("Copyright (C) 2026 Palvane Games", this));
    auto* keys = new QGridLayout;
    const QStringList lines = QString(kKeys).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList parts = lines[i].split('\t');
        keys->addWidget(new QLabel(parts.value(0), this), i, 0);
        keys->addWidget(new QLabel(parts.value(1), this), i, 1);
    }
    text->addSpacing(8);
    text->addLayout(keys);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tavrel
