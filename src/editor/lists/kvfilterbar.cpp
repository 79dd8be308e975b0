#include "lists/kvfilterbar.h"

#include "lists/kvfilter.h"
#include "lists/kvfilteredit.h"
#include "lists/kvlists.h"

#include <QHBoxLayout>
#include <QLabel>

TKvFilterBar::TKvFilterBar(TKvLists &lists, QWidget *parent)
    : QWidget(parent)
    , m_lists(lists)
{
    setObjectName(QStringLiteral("PnlFilter"));
    EdFilter = new TKvFilterEdit(this);
    LbFilterCount = new QLabel(this);
    LbFilterCount->setObjectName(QStringLiteral("LbFilterCount"));
    LbFilterCount->setAccessibleName(QStringLiteral("Rows shown"));
    LbFilterCount->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(8);
    layout->addWidget(EdFilter, 1);
    layout->addWidget(LbFilterCount);

    connect(EdFilter, &QLineEdit::textChanged, &m_lists, &TKvLists::SetFilterText);
    connect(EdFilter, &TKvFilterEdit::Done, this, &TKvFilterBar::Done);
    connect(&m_lists, &TKvLists::FilterTextChanged, this, [this](const QString &text) {
        if (EdFilter->text() != text)
            EdFilter->setText(text);
    });
    connect(&m_lists, &TKvLists::RowsShownChanged, this, &TKvFilterBar::ShowCounts);
    ShowCounts();
}

void TKvFilterBar::Focus()
{
    EdFilter->Focus();
}

void TKvFilterBar::ShowCounts()
{
    if (!m_lists.Filtered()) {
        LbFilterCount->clear();
        return;
    }
    const auto [sections, allSections] = m_lists.SectionRowsShown();
    const auto [items, allItems] = m_lists.ValueRowsShown();
    LbFilterCount->setText(QStringLiteral("Sections: %1    Items: %2")
                               .arg(TKvFilter::CountText(sections, allSections),
                                    TKvFilter::CountText(items, allItems)));
}
