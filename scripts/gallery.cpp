// A window showing every custom-painted control in every state: gradient
// labels with their end pieces and corners, panels, and buttons in every
// style, state, focus style, marker and image placement.
//
//   kvgallery [picture.png]
//
// With a file name the window is grabbed into that PNG half a second after it
// has been shown and the program ends; without one it stays open. Built by
// the optional target kvgallery (tests/controls/CMakeLists.txt); on a machine
// without a display run it under xvfb-run.

#include "kvart.h"
#include "kvbutton.h"
#include "kvgradilabel.h"
#include "kvimagelist.h"
#include "kvpanel.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The dialogs' background: a vertical gradient from DEEBFF to A3B4D8.
class TGalleryWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(0xDE, 0xEB, 0xFF));
        gradient.setColorAt(1, QColor(0xA3, 0xB4, 0xD8));
        painter.fillRect(rect(), gradient);
    }
};

enum class Look { Normal, Hot, Pressed, Disabled, HalfHot, Down, Focused };

const char *LookName(Look look)
{
    switch (look) {
    case Look::Normal:
        return "normal";
    case Look::Hot:
        return "hot";
    case Look::Pressed:
        return "pressed";
    case Look::Disabled:
        return "disabled";
    case Look::HalfHot:
        return "half hot";
    case Look::Down:
        return "down";
    case Look::Focused:
        return "default";
    }
    return "";
}

void Enter(QWidget *widget)
{
    const QPointF at(4, 4);
    QEnterEvent event(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
}

void Press(QWidget *widget)
{
    const QPointF at(4, 4);
    QMouseEvent event(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Puts a control into a look once the window is up (hot and pressed are
// mouse states, so they are made by events).
void Apply(QWidget *widget, Look look)
{
    switch (look) {
    case Look::Hot:
        Enter(widget);
        break;
    case Look::Pressed:
        Enter(widget);
        Press(widget);
        break;
    case Look::Disabled:
        widget->setEnabled(false);
        break;
    default:
        break;
    }
}

QLabel *Caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

struct TGallery
{
    TGalleryWindow window;
    TKvImageList *buttons = nullptr;
    TKvImageList *items = nullptr;
    QList<std::pair<QWidget *, Look>> looks;

    TGallery()
    {
        window.setWindowTitle(QStringLiteral("Quillon control gallery"));
        buttons = new TKvImageList(16, 16, &window);
        buttons->AddStrip(QImage(QStringLiteral(":/ilbuttons.png")));
        items = new TKvImageList(12, 12, &window);
        items->AddStrip(QImage(QStringLiteral(":/ilitems.png")));

        auto *columns = new QHBoxLayout(&window);
        auto *left = new QVBoxLayout;
        auto *right = new QVBoxLayout;
        columns->addLayout(left);
        columns->addSpacing(16);
        columns->addLayout(right, 1);
        left->addWidget(Caption(QStringLiteral("Gradient labels with end pieces"), &window));
        left->addLayout(LabelRows());
        left->addSpacing(8);
        left->addWidget(Caption(QStringLiteral("End pieces alone, corners, up and down"), &window));
        left->addLayout(ArtRow());
        left->addSpacing(8);
        left->addWidget(Caption(QStringLiteral("Panels"), &window));
        left->addLayout(PanelGrid());
        left->addStretch(1);
        right->addWidget(Caption(QStringLiteral("Buttons: styles by state"), &window));
        right->addLayout(ButtonStates());
        right->addSpacing(8);
        right->addWidget(Caption(QStringLiteral("Focus styles, markers, images, lines"), &window));
        right->addLayout(ButtonVariants());
        right->addSpacing(8);
        right->addWidget(Caption(QStringLiteral("A message-box button row"), &window));
        right->addWidget(MessageRow());
        right->addStretch(1);
    }

    // One row per background style: end piece, labels in four looks, end piece.
    QLayout *LabelRows()
    {
        auto *grid = new QGridLayout;
        grid->setHorizontalSpacing(0);
        grid->setVerticalSpacing(4);
        const std::pair<TKvGradyStyle, const char *> styles[] = {{agsVertPipe, "vertical pipe"},
                                                                 {agsVertGradi, "vertical gradient"},
                                                                 {agsHorzPipe, "horizontal pipe"},
                                                                 {agsHorzGradi, "horizontal gradient"},
                                                                 {agsSolid, "solid"}};
        const Look labelLooks[] = {Look::Normal, Look::Hot, Look::Pressed, Look::Disabled};
        int row = 0;
        for (const auto &[style, name] : styles) {
            grid->addWidget(new QLabel(QString::fromLatin1(name), &window), row, 0);
            auto *first = new TKvArt(&window);
            first->SetArtType(aatEndLeft);
            first->SetArtStyle(style);
            grid->addWidget(first, row, 1);
            TKvGradiLabel *previous = nullptr;
            int column = 2;
            for (Look look : labelLooks) {
                auto *label = new TKvGradiLabel(&window);
                label->SetGradiStyle(style);
                label->SetLabelType(altButton);
                label->SetAlign(alLeft);
                label->SetImages(buttons);
                label->SetImageIndex(row == 4 ? -1 : 1);
                label->SetImageDisabledIndex(19);
                label->SetCaption(QString::fromLatin1(LookName(look)));
                label->SetHint(QStringLiteral("A gradient label"));
                grid->addWidget(label, row, column++);
                looks.append({label, look});
                if (!previous)
                    first->SetLabelAfter(label);
                previous = label;
            }
            auto *last = new TKvArt(&window);
            last->SetArtType(aatEndRight);
            last->SetArtStyle(style);
            last->SetLabelBefore(previous);
            grid->addWidget(last, row, column);
            ++row;
        }
        grid->setColumnStretch(7, 1);
        // A caption field and a spacer with a caption (drawn without it).
        grid->addWidget(new QLabel(QStringLiteral("field, spacer"), &window), row, 0);
        auto *field = new TKvGradiLabel(&window);
        field->SetCaption(QStringLiteral("Caption field"));
        field->SetAlignment(taCenter);
        grid->addWidget(field, row, 2, 1, 2);
        auto *spacer = new TKvGradiLabel(&window);
        spacer->SetLabelType(altSpace);
        spacer->SetCaption(QStringLiteral("never shown"));
        grid->addWidget(spacer, row, 4, 1, 2);
        return grid;
    }

    QLayout *ArtRow()
    {
        auto *row = new QHBoxLayout;
        row->setSpacing(6);
        for (TKvGradyStyle style : {agsVertPipe, agsSolid}) {
            auto *alone = new TKvArt(&window);
            alone->SetArtType(aatEndLeft);
            alone->SetArtStyle(style);
            row->addWidget(alone);
        }
        auto *space = new TKvArt(&window);
        space->SetArtStyle(agsHorzPipe);
        space->resize(40, 23);
        row->addWidget(space);

        // A horizontal label meeting a vertical one in each corner.
        const std::pair<TKvArtType, const char *> corners[] = {
            {aatCornerNW, "NW"}, {aatCornerNE, "NE"}, {aatCornerSE, "SE"}, {aatCornerSW, "SW"}};
        for (const auto &[type, name] : corners) {
            auto *box = new QWidget(&window);
            box->setFixedSize(92, 70);
            auto *across = new TKvGradiLabel(box);
            across->SetCaption(QString::fromLatin1(name));
            across->SetAutoSize(false);
            across->resize(60, 23);
            auto *down = new TKvGradiLabel(box);
            down->SetGradiStyle(agsHorzPipe);
            down->SetAutoSize(false);
            down->resize(28, 44);
            auto *corner = new TKvArt(box);
            corner->SetArtType(type);
            corner->SetArtStyle(agsHorzPipe);
            const bool rowsAfter = type == aatCornerNW || type == aatCornerSE;
            corner->SetLabelAfter(rowsAfter ? across : down);
            corner->SetLabelBefore(rowsAfter ? down : across);
            // Place the corner with the row label beside it and the column
            // label above or below.
            const bool north = type == aatCornerNW || type == aatCornerNE;
            const bool west = type == aatCornerNW || type == aatCornerSW;
            const int cornerX = west ? 0 : 60;
            const int cornerY = north ? 0 : 44;
            corner->move(cornerX, cornerY);
            corner->resize(28, 23);
            across->move(west ? 28 : 0, cornerY);
            down->move(cornerX, north ? 23 : 0);
            row->addWidget(box);
        }
        auto *upBox = new QWidget(&window);
        upBox->setFixedSize(60, 70);
        auto *column = new TKvGradiLabel(upBox);
        column->SetGradiStyle(agsHorzPipe);
        column->SetCaption(QStringLiteral("Up"));
        column->SetAutoSize(false);
        column->setGeometry(0, 23, 40, 24);
        auto *up = new TKvArt(upBox);
        up->SetArtType(aatEndUp);
        up->setGeometry(0, 0, 40, 23);
        up->SetLabelAfter(column);
        auto *downEnd = new TKvArt(upBox);
        downEnd->SetArtType(aatEndDown);
        downEnd->setGeometry(0, 47, 40, 23);
        downEnd->SetLabelBefore(column);
        row->addWidget(upBox);
        row->addStretch(1);
        return row;
    }

    TKvPanel *Panel(const QString &caption)
    {
        auto *panel = new TKvPanel(&window);
        panel->setFixedSize(150, 62);
        panel->SetCaption(caption);
        return panel;
    }

    QLayout *PanelGrid()
    {
        auto *grid = new QGridLayout;
        grid->setSpacing(8);
        TKvPanel *plain = Panel(QStringLiteral("Plain, raised"));
        TKvPanel *lowered = Panel(QStringLiteral("Lowered, left, top"));
        lowered->SetBevelOuter(bvLowered);
        lowered->SetAlignment(taLeftJustify);
        lowered->SetAlignmentVertical(tvaTop);
        lowered->SetTextPadLeft(4);
        lowered->SetTextPadTop(2);
        TKvPanel *vertical = Panel(QStringLiteral("Vertical gradient"));
        vertical->SetGradientFill(true);
        TKvPanel *horizontal = Panel(QStringLiteral("Horizontal, right, bottom"));
        horizontal->SetGradientFill(true);
        horizontal->SetGradientDirection(gdHorizontal);
        horizontal->SetAlignment(taRightJustify);
        horizontal->SetAlignmentVertical(tvaBottom);
        horizontal->SetTextPadRight(4);
        horizontal->SetTextPadBottom(2);
        TKvPanel *pipe = Panel(QStringLiteral("Pipe||on two lines"));
        pipe->SetGradientFill(true);
        pipe->SetGradientPipe(true);
        pipe->SetGradientDarkerEnd(60);
        TKvPanel *border = Panel(QStringLiteral("Border, soft**corners"));
        border->SetGradientFill(true);
        border->SetBorderWidth(2);
        border->SetClBorder(0x993300);
        border->SetBevelOuter(bvNone);
        TKvPanel *square = Panel(QStringLiteral("Border, square"));
        square->SetGradientFill(true);
        square->SetBorderWidth(2);
        square->SetClBorder(0x993300);
        square->SetBorderSoftInner(false);
        square->SetBevelOuter(bvNone);
        TKvPanel *message = Panel(QStringLiteral("Message||box||colours"));
        message->SetGradientFill(true);
        message->SetClBegin(KvRgb(244, 249, 255));
        message->SetClEnd(KvRgb(222, 235, 255));
        message->SetBevelOuter(bvNone);
        TKvPanel *none = Panel(QStringLiteral("NoPaint"));
        none->SetNoPaint(true);
        const QList<TKvPanel *> panels = {plain,  lowered, vertical, horizontal, pipe,
                                          border, square,  message,  none};
        for (int i = 0; i < panels.size(); ++i)
            grid->addWidget(panels[i], i / 3, i % 3);
        return grid;
    }

    TKvButton *Button(const QString &caption)
    {
        auto *button = new TKvButton(&window);
        button->SetCaption(caption);
        button->SetHint(QStringLiteral("A button||with a two-line hint"));
        return button;
    }

    QLayout *ButtonStates()
    {
        auto *grid = new QGridLayout;
        grid->setSpacing(6);
        const Look buttonLooks[] = {Look::Normal, Look::Hot,      Look::HalfHot, Look::Pressed,
                                    Look::Down,   Look::Disabled, Look::Focused};
        const std::pair<TKvButtonStyle, const char *> styles[] = {
            {bstButton, "button"}, {bstFlat, "flat"}, {bstFlatAndButton, "flat + button"}, {bstNone, "none"}};
        int column = 1;
        for (Look look : buttonLooks)
            grid->addWidget(new QLabel(QString::fromLatin1(LookName(look)), &window), 0, column++,
                            Qt::AlignHCenter);
        int row = 1;
        for (const auto &[style, name] : styles) {
            grid->addWidget(new QLabel(QString::fromLatin1(name), &window), row, 0);
            column = 1;
            for (Look look : buttonLooks) {
                TKvButton *button = Button(QStringLiteral("&Button"));
                button->resize(78, 32);
                button->SetButtonStyle(style);
                button->SetImages(buttons);
                button->SetImageIndex(8);
                button->SetImageIndexDisabled(13);
                if (look == Look::HalfHot) {
                    button->SetFocusStyle(tfsHalfHot);
                    button->SetDefault(true);
                } else if (look == Look::Down) {
                    button->SetGroupIndex(row);
                    button->SetDown(true);
                } else if (look == Look::Focused) {
                    button->SetDefault(true);
                }
                looks.append({button, look});
                grid->addWidget(button, row, column++);
            }
            ++row;
        }
        // Hot tracking off: the normal look in the hot colours.
        grid->addWidget(new QLabel(QStringLiteral("not alive"), &window), row, 0);
        TKvButton *dead = Button(QStringLiteral("Not alive"));
        dead->resize(78, 32);
        dead->SetAlive(false);
        grid->addWidget(dead, row, 1);
        TKvButton *grey = Button(QStringLiteral("Grey"));
        grey->resize(78, 32);
        grey->SetImages(buttons);
        grey->SetImageIndex(8);
        grey->SetAutoGrayDisabled(true);
        grid->addWidget(grey, row, 2);
        TKvButton *linear = Button(QStringLiteral("Linear"));
        linear->resize(78, 32);
        linear->SetPipeGradient(false);
        grid->addWidget(linear, row, 3);
        TKvButton *autoColours = Button(QStringLiteral("Auto green"));
        autoColours->resize(78, 32);
        autoColours->SetClAutoDark(0x40B040);
        autoColours->SetClAutoLight(0xD8F8D8);
        grid->addWidget(autoColours, row, 4);
        TKvButton *autoHot = Button(QStringLiteral("Auto hot"));
        autoHot->resize(78, 32);
        autoHot->SetClAutoDark(0x40B040);
        autoHot->SetClAutoLight(0xD8F8D8);
        looks.append({autoHot, Look::Hot});
        grid->addWidget(autoHot, row, 5);
        return grid;
    }

    QLayout *ButtonVariants()
    {
        auto *grid = new QGridLayout;
        grid->setSpacing(6);
        const std::pair<TKvFocusStyle, const char *> focusStyles[] = {{tfsDottetRect, "Dotted"},
                                                                      {tfsColorRect, "Colour rect"},
                                                                      {tfsColorMark, "Colour mark"},
                                                                      {tfsStar, "Star"},
                                                                      {tfsNone, "No focus"}};
        int column = 0;
        for (const auto &[style, name] : focusStyles) {
            TKvButton *button = Button(QString::fromLatin1(name));
            button->SetFocusStyle(style);
            button->SetDefault(true);
            grid->addWidget(button, 0, column++);
        }
        TKvButton *pressedStar = Button(QStringLiteral("Star pressed"));
        pressedStar->SetFocusStyle(tfsStar);
        pressedStar->SetDefault(true);
        looks.append({pressedStar, Look::Pressed});
        grid->addWidget(pressedStar, 0, column);

        // Markers: every shape in every size, one per corner.
        const TKvShape shapes[] = {tasCircle, tasSquare, tasDiamond, tasStar};
        const TKvPosInRect corners[] = {pirUpLeft, pirUpRight, pirDownRight, pirDownLeft};
        const char *shapeNames[] = {"circle", "square", "diamond", "star"};
        column = 0;
        for (int s = 0; s < 4; ++s) {
            for (TKvThreeSizes size : {ttsSmall, ttsLarge}) {
                TKvButton *button = Button(QString::fromLatin1(shapeNames[s]));
                button->resize(90, 40);
                button->SetMarkShow(true);
                button->SetMarkShape(shapes[s]);
                button->SetMarkSize(size);
                button->SetMarkColor(s % 2 ? 0x2020E0 : 0xFFFFFF);
                button->SetMarkPos(corners[(column) % 4]);
                grid->addWidget(button, 1 + column / 6, column % 6);
                ++column;
            }
        }
        // Image placement: every alignment with the text close to the image.
        const std::pair<TKvImageAlignment, const char *> alignments[] = {
            {tiaLeft, "Left"}, {tiaRight, "Right"}, {tiaTop, "Top"}, {tiaBottom, "Bottom"}, {tiaCenter, ""}};
        column = 0;
        for (const auto &[alignment, name] : alignments) {
            TKvButton *button = Button(QString::fromLatin1(name));
            button->resize(90, 54);
            button->SetImages(buttons);
            button->SetImageIndex(11);
            button->SetImageMargins(QMargins(2, 2, 2, 2));
            button->SetImageAlignment(alignment);
            grid->addWidget(button, 3, column++);
        }
        TKvButton *rest = Button(QStringLiteral("In rest"));
        rest->resize(90, 54);
        rest->SetImages(buttons);
        rest->SetImageIndex(1);
        rest->SetLayoutStyle(tlsCenterTextInRest);
        grid->addWidget(rest, 3, column);
        TKvButton *follow = Button(QStringLiteral("Follows"));
        follow->resize(90, 40);
        follow->SetImages(buttons);
        follow->SetImageIndex(1);
        follow->SetLayoutStyle(tlsTextFolowImage);
        grid->addWidget(follow, 4, 0);
        TKvButton *twoLines = Button(QStringLiteral("Two||lines"));
        twoLines->resize(90, 44);
        grid->addWidget(twoLines, 4, 1);
        TKvButton *threeLines = Button(QStringLiteral("Stars**and||bars"));
        threeLines->resize(90, 54);
        grid->addWidget(threeLines, 4, 2);
        TKvButton *wide = Button(QStringLiteral("A caption too long for the button"));
        grid->addWidget(wide, 4, 3);
        return grid;
    }

    // The message box's button row: Yes (default), No, Cancel.
    QWidget *MessageRow()
    {
        auto *panel = new TKvPanel(&window);
        panel->setFixedHeight(53);
        panel->SetBevelOuter(bvNone);
        panel->SetGradientFill(true);
        panel->SetClBegin(KvRgb(217, 224, 238));
        panel->SetClEnd(KvRgb(192, 204, 228));
        auto *row = new QHBoxLayout(panel);
        row->setContentsMargins(10, 10, 10, 10);
        row->addStretch(1);
        const std::pair<const char *, TKvModalResult> answers[] = {
            {"&Yes", tmrYes}, {"&No", tmrNo}, {"&Cancel", tmrCancel}};
        for (const auto &[caption, result] : answers) {
            auto *button = new TKvButton(panel);
            button->resize(83, 32);
            button->SetCaption(QString::fromLatin1(caption));
            button->SetModalResult(result);
            button->SetClDimmedDark(14862273);
            button->SetClDimmedLight(15921635);
            button->SetClSelDownDark(15388358);
            button->SetClSelDownLight(16052694);
            button->SetFocusStyle(tfsColorRect);
            button->SetDefault(result == tmrYes);
            button->SetCancel(result == tmrCancel);
            row->addWidget(button);
        }
        return panel;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString output = arguments.size() > 1 ? arguments.at(1) : QString();

    TGallery gallery;
    QCursor::setPos(0, 0); // keep the pointer off the controls
    gallery.window.move(0, 0);
    gallery.window.show();
    QTimer::singleShot(200, &app, [&gallery] {
        for (const auto &[widget, look] : gallery.looks)
            Apply(widget, look);
    });
    if (!output.isEmpty()) {
        QTimer::singleShot(700, &app, [&] {
            const bool saved = gallery.window.grab().save(output);
            std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(output));
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
