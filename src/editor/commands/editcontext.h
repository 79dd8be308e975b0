#pragma once

class QWidget;
class TKvDocument;
class TKvLists;

// What a command unit works with: the document it changes, the lists whose
// selection it reads and leaves, and the window its dialogs belong to.
struct TKvEditContext
{
    TKvDocument &Document;
    TKvLists &Lists;
    QWidget *DialogParent;
};
