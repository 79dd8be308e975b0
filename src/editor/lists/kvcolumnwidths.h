#pragma once

#include "lists/kvtextwidth.h"

#include <QObject>

#include <array>
#include <map>

class TKvDocument;
class TKvIniVal;
class TKvValueModel;

// The widest text of the value list's name, value and comment columns, kept
// up to date as rows come and go: each column holds how many rows have each
// width, so a change of k rows measures k rows, and removing the widest row
// still leaves the exact next width. Only a new section or mode measures every
// row, as showing it does.
class TKvColumnWidths : public QObject
{
public:
    TKvColumnWidths(const TKvDocument &document, const TKvValueModel &model, const QFont &font,
                    QObject *parent = nullptr);

    // The widest text of the name, value and comment column; 0 for an empty column.
    std::array<int, 3> Widest() const;
    // How the value list's font measures a text.
    const TKvTextWidth &Measure() const { return m_measure; }

private:
    void Count(const TKvIniVal &val, int delta);
    void CountRows(int first, int last, int delta);

    const TKvValueModel &m_model;
    TKvTextWidth m_measure;
    std::array<std::map<int, qint64>, 3> m_rowsByWidth;
    bool m_replacing = false; // between the two signals of a replaced entry
};
