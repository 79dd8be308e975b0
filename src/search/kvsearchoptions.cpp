#include "kvsearchoptions.h"

void AddToHistory(TSearchStruct &options, const QString &text)
{
    auto &history = options.FindStr;
    int j = 0;
    while (j < TSearchStruct::HistorySize && !history[size_t(j)].isEmpty() && history[size_t(j)] != text)
        ++j;
    // All slots filled with other texts: the oldest one is dropped.
    if (j == TSearchStruct::HistorySize)
        j = TSearchStruct::HistorySize - 1;
    for (int k = j - 1; k >= 0; --k)
        history[size_t(k) + 1] = history[size_t(k)];
    history[0] = text;
}

void HistoryToList(const TSearchStruct &options, QStringList &list)
{
    list.clear();
    for (const QString &text : options.FindStr) {
        if (text.isEmpty())
            break;
        list.append(text);
    }
}
