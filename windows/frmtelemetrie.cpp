// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmtelemetrie.h"

#include "charts/frmverlauf.h"
#include "decoder/decoder.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmboxeingabe.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmintro.h"
#include "dialogs/frmlo19.h"
#include "files/frmopen.h"
#include "files/frmspeichern.h"
#include "files/savecommands.h"
#include "formats/windows1252.h"
#include "frmausgabe.h"
#include "frmstation.h"
#include "listening/frmempfang.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"
#include "windowkit/modal.h"
#include "windowkit/platformservices.h"
#include "windowkit/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QWindow>

#include <limits>

namespace orvinta {

namespace {

const QString kInputPreset = QStringLiteral("E LUSAT HI HI ");
const QString kShown = QStringLiteral("an");
const QString kHidden = QStringLiteral("aus");

} // namespace

frmTelemetrie::frmTelemetrie(int introIntervalMs, QWidget* parent)
    : QMainWindow(parent, toplevelWindowFlags())
    , m_ausgabe([] { return new frmAusgabe; })
    , m_intro([introIntervalMs] { return new frmIntro(introIntervalMs); })
    , m_info([] { return new frmInfo; })
    , m_lo19([] { return new frmlo19; })
    , m_about([] { return new frmAbout; })
    , m_open([this] { return new frmOpen(txtEingabe); })
    , m_speichern([this] { return new frmSpeichern([this] { return ausgabe()->valueTexts(); }); })
    , m_boxEingabe([this] { return new frmBoxEingabe(txtEingabe); })
    , m_empfang([this] { return new frmEmpfang(txtEingabe, [this] { return verlauf(); }); })
    , m_verlauf([] { return new frmVerlauf; })
    , m_station([] { return new frmStation; }) {
    setObjectName(QStringLiteral("frmTelemetrie"));
    setWindowTitle(QStringLiteral("LUSAT OSCAR 19 Orvinta"));
    setProgramIcon(this);
    createControls();
    createMenus();
    createMenuKeys();
    // The designed client area lies below the menu bar; the window keeps this size.
    const QSize client = twipsSize(6156, 3648);
    lockSize(this, QSize(client.width(), client.height() + menuBar()->sizeHint().height()));
}

frmTelemetrie::~frmTelemetrie() = default;

frmAusgabe* frmTelemetrie::ausgabe() {
    return m_ausgabe.get();
}

frmAusgabe* frmTelemetrie::existingAusgabe() const {
    return m_ausgabe.existing();
}

frmIntro* frmTelemetrie::intro() {
    return m_intro.get();
}

frmInfo* frmTelemetrie::info() {
    return m_info.get();
}

frmlo19* frmTelemetrie::lo19() {
    return m_lo19.get();
}

frmAbout* frmTelemetrie::about() {
    return m_about.get();
}

frmOpen* frmTelemetrie::openDialog() {
    return m_open.get();
}

frmSpeichern* frmTelemetrie::speichern() {
    return m_speichern.get();
}

frmBoxEingabe* frmTelemetrie::boxEingabe() {
    return m_boxEingabe.get();
}

frmEmpfang* frmTelemetrie::empfang() {
    return m_empfang.get();
}

frmVerlauf* frmTelemetrie::verlauf() {
    return m_verlauf.get();
}

frmStation* frmTelemetrie::station() {
    return m_station.get();
}

void frmTelemetrie::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    lblText4 = makeLabel(client, "lblText4", QStringLiteral("LUSAT OSCAR 19"),
                         {1200, 240, 3612, 492}, sansFont(18, FontStyle::Bold));
    lblText2 = makeLabel(client, "lblText2", QStringLiteral("Orvinta"), {1440, 720, 3012, 492},
                         sansFont(13.8, FontStyle::Bold));
    lblVersion = makeLabel(client, "lblVersion", QStringLiteral("CW Download 437.125 MHz"),
                           {1560, 1200, 2652, 252}, sansFont(kFormPoints));
    lbltext1 = makeLabel(client, "lbltext1", QStringLiteral("Eingabe:"), {240, 2040, 3492, 252},
                         sansFont(kFormPoints, FontStyle::BoldUnderlined));

    txtEingabe = new QLineEdit(kInputPreset, client);
    placeControl(txtEingabe, "txtEingabe", {240, 2520, 5652, 348});
    txtEingabe->setFont(sansFont(kFormPoints));
    txtEingabe->setMaxLength(std::numeric_limits<int>::max());

    const QFont bold = sansFont(kFormPoints, FontStyle::Bold);
    cmdAusgabe = makeButton(client, "cmdAusgabe", QStringLiteral("&Ausgabe aus"),
                            {240, 3120, 1452, 372}, bold);
    cmdOK =
        makeButton(client, "cmdOK", QStringLiteral("&Berechnen"), {2280, 3120, 1572, 372}, bold);
    cmdEnd =
        makeButton(client, "cmdEnd", QStringLiteral("B&eenden"), {4440, 3120, 1452, 372}, bold);

    setTabChain({txtEingabe, cmdOK, cmdAusgabe, cmdEnd});
    txtEingabe->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmTelemetrie::cmdOK_Click);
    connect(cmdAusgabe, &QPushButton::clicked, this, &frmTelemetrie::cmdAusgabe_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmTelemetrie::cmdEnd_Click);
}

void frmTelemetrie::createMenus() {
    const auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                                void (frmTelemetrie::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    mnuDatei = addMenu("mnuDatei", QStringLiteral("&Datei"));
    mnuOpen =
        addItem(mnuDatei, "mnuOpen", QStringLiteral("&Öffnen"), &frmTelemetrie::mnuOpen_Click);
    mnuSpeichern = addItem(mnuDatei, "mnuSpeichern", QStringLiteral("Ausgabe &Speichern (Text)"),
                           &frmTelemetrie::mnuSpeichern_Click);
    mnuSpeichernText =
        addItem(mnuDatei, "mnuSpeichernText", QStringLiteral("Ausgabe Speichern (&Tabbelle)"),
                &frmTelemetrie::mnuSpeichernText_Click);
    mnuEingabeSpeichern =
        addItem(mnuDatei, "mnuEingabeSpeichern", QStringLiteral("E&ingabe Speichern"),
                &frmTelemetrie::mnuEingabeSpeichern_Click);
    mnuHoeren = addItem(mnuDatei, "mnuHoeren", QStringLiteral("&Hören ..."),
                        &frmTelemetrie::mnuHoeren_Click);
    mnuVerlauf = addItem(mnuDatei, "mnuVerlauf", QStringLiteral("&Verlauf ..."),
                         &frmTelemetrie::mnuVerlauf_Click);
    mnuStation = addItem(mnuDatei, "mnuStation", QStringLiteral("Statio&n ..."),
                         &frmTelemetrie::mnuStation_Click);
    mnuDatei->addSeparator()->setObjectName(QStringLiteral("mnuSeperate"));
    mnuBeenden = addItem(mnuDatei, "mnuBeenden", QStringLiteral("&Beenden"),
                         &frmTelemetrie::mnuBeenden_Click);

    mnuBearbeiten = addMenu("mnuBearbeiten", QStringLiteral("&Bearbeiten"));
    mnuEingabe = addItem(mnuBearbeiten, "mnuEingabe", QStringLiteral("&Eingabe leeren"),
                         &frmTelemetrie::mnuEingabe_Click);
    mnuNeu = addItem(mnuBearbeiten, "mnuNeu", QStringLiteral("&Ausgabe leeren"),
                     &frmTelemetrie::mnuNeu_Click);
    mnubEingabe = addItem(mnuBearbeiten, "mnubEingabe", QStringLiteral("&Eingabe"),
                          &frmTelemetrie::mnubEingabe_Click);

    mnuHilfe = addMenu("mnuHilfe", QStringLiteral("&Hilfe"));
    mnuAbout =
        addItem(mnuHilfe, "mnuAbout", QStringLiteral("&Über"), &frmTelemetrie::mnuAbout_Click);
    mnuInfo = addItem(mnuHilfe, "mnuInfo", QStringLiteral("&Info"), &frmTelemetrie::mnuInfo_Click);
    mnuIntro = addItem(mnuHilfe, "mnuIntro", QStringLiteral("Intro &zeigen"),
                       &frmTelemetrie::mnuIntro_Click);
    mnulo19 = addItem(mnuHilfe, "mnulo19", QStringLiteral("LO-19"), &frmTelemetrie::mnulo19_Click);
}

namespace {

/// "&Berechnen" and the menu "&Bearbeiten" share the access key B. Alt+B is the key the
/// operator presses after every frame, so in this window it belongs to the button alone;
/// the menu is reached by pressing and releasing Alt, then B, or through F10.
bool isComputeKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_B && key->modifiers() == Qt::AltModifier;
}

} // namespace

void frmTelemetrie::createMenuKeys() {
    // F10 opens the first menu, as in other desktop programs; the arrow keys go on from there.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(mnuDatei->menuAction()); });
}

bool frmTelemetrie::event(QEvent* event) {
    // Claiming Alt+B before the shortcuts are matched keeps the menu bar's shortcut for
    // "&Bearbeiten" from making it ambiguous. The key press itself then goes to the
    // platform window, where eventFilter takes it before the input line could type a "b".
    if (event->type() == QEvent::ShortcutOverride && isComputeKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::Show && windowHandle() != nullptr)
        windowHandle()->installEventFilter(this);
    return QMainWindow::event(event);
}

bool frmTelemetrie::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::KeyPress &&
        isComputeKey(static_cast<QKeyEvent*>(event))) {
        if (cmdOK->isEnabled())
            cmdOK->animateClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmTelemetrie::Form_Load() {
    ausgabe()->show();
    show();
    // Let both windows paint before the splash is built, so they appear at once.
    QCoreApplication::processEvents();
    showModal(intro());
    if (m_ending)
        return;
    frameRecord().reset();
    AusgabeStatus = kShown;
}

void frmTelemetrie::cmdOK_Click() {
    const QByteArray line = toWindows1252(txtEingabe->text());
    const std::optional<DecodedFrame> frame = decode(
        std::string_view(line.constData(), static_cast<std::size_t>(line.size())), frameRecord());
    if (!frame) {
        showMessage(this, QString::fromLatin1(kEmptyInputMessage));
        txtEingabe->setFocus();
        return;
    }
    ausgabe()->showFrame(*frame);
    txtEingabe->setFocus();
}

void frmTelemetrie::cmdAusgabe_Click() {
    // The caption names what the next press does.
    if (AusgabeStatus == kShown) {
        ausgabe()->hide();
        cmdAusgabe->setText(QStringLiteral("Ausgabe an"));
        AusgabeStatus = kHidden;
    } else if (AusgabeStatus == kHidden) {
        ausgabe()->show();
        cmdAusgabe->setText(QStringLiteral("Ausgabe aus"));
        AusgabeStatus = kShown;
    }
}

void frmTelemetrie::mnuEingabe_Click() {
    txtEingabe->setText(kInputPreset);
    txtEingabe->setFocus();
}

void frmTelemetrie::mnuNeu_Click() {
    ausgabe()->clearValues();
}

void frmTelemetrie::cmdEnd_Click() {
    endProgram();
}

void frmTelemetrie::mnuBeenden_Click() {
    endProgram();
}

void frmTelemetrie::mnuOpen_Click() {
    showModal(openDialog());
}

void frmTelemetrie::mnuSpeichern_Click() {
    saveResultCommand(this, [this] { return ausgabe()->valueTexts(); });
}

void frmTelemetrie::mnuSpeichernText_Click() {
    showModal(speichern());
}

void frmTelemetrie::mnuEingabeSpeichern_Click() {
    saveInputCommand(this, txtEingabe);
}

void frmTelemetrie::mnuHoeren_Click() {
    // The listening window stays open beside the main window, like the output window,
    // so that frames can be taken over while it listens.
    bringToFront(empfang());
}

void frmTelemetrie::mnuVerlauf_Click() {
    // The history stays open beside the main window, like the output window.
    bringToFront(verlauf());
}

void frmTelemetrie::mnuStation_Click() {
    showModal(station());
}

void frmTelemetrie::mnubEingabe_Click() {
    showModal(boxEingabe());
}

void frmTelemetrie::mnuAbout_Click() {
    showModal(about());
}

void frmTelemetrie::mnuInfo_Click() {
    showModal(info());
}

void frmTelemetrie::mnuIntro_Click() {
    showModal(intro());
}

void frmTelemetrie::mnulo19_Click() {
    showModal(lo19());
}

void frmTelemetrie::closeEvent(QCloseEvent* event) {
    // Closing the main window through its frame ends the program like "Beenden": the
    // program must not go on with no window left that can end it.
    event->accept();
    endProgram();
}

void frmTelemetrie::endProgram() {
    // Every window goes at once; nothing is asked and nothing is saved.
    m_ending = true;
    for (QWidget* window : std::initializer_list<QWidget*>{
             m_ausgabe.existing(), m_intro.existing(), m_info.existing(), m_lo19.existing(),
             m_about.existing(), m_empfang.existing(), m_verlauf.existing(),
             m_station.existing()}) {
        if (window != nullptr)
            window->hide();
    }
    hide();
    QCoreApplication::quit();
}

} // namespace orvinta
