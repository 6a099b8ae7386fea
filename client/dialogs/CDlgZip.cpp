#include "client/dialogs/CDlgZip.h"

#include "client/app/FieldLimits.h"
#include "client/app/PageHost.h"
#include "client/app/Transaction.h"
#include "client/env/Environment.h"
#include "protocol/TextTrim.h"
#include "protocol/WorkCode.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXSkinText.h"
#include "skin/SkinBitmaps.h"
#include "skin/UiText.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {

constexpr int kRowHeight = 30;

bool IsEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

CDlgZip::CDlgZip(PageHost& host, QWidget* mainWindow)
    : CXDialog(nullptr), m_host(host), m_mainWindow(mainWindow), m_name(new CXEdit(this)), m_search(new CXButton(this)),
      m_close(new CXButton(this)), m_list(new CXListCtrl(this)) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("CDlgZip"));
    setAccessibleName(QStringLiteral("우편번호 검색"));
    setWindowTitle(QStringLiteral("Halvren 우편번호검색"));
    QFont dialogFont(QStringLiteral("돋움"));
    dialogFont.setPixelSize(15);
    setFont(dialogFont);
    SetBackground(ClientBitmap::kZipBackground);
    SetDraggable(true);
    setFixedSize(kWidth, kHeight);

    // The name comes first, so the focus starts there and Korean can be typed at once.
    m_name->setObjectName(QStringLiteral("editDong"));
    m_name->setAccessibleName(QStringLiteral("동(읍, 면) 이름"));
    m_name->setGeometry(232, 115, 250, 26);
    m_name->SetByteLimit(kNameLimit);
    m_name->setAttribute(Qt::WA_InputMethodEnabled, true);
    m_name->installEventFilter(this);
    TellFieldLimits(
        *this, [this](QWidget* field, const QString& text) { SayInBalloon(field, text); }, host.Env());

    m_search->setObjectName(QStringLiteral("btnSearch"));
    m_search->setAccessibleName(QStringLiteral("검색"));
    m_search->move(612, 108);
    m_search->SetBitmaps(ClientBitmap::kZipSearchHover, CXButton::kMagenta, ClientBitmap::kZipSearch,
                         CXButton::kMagenta);
    m_search->SizeToContent();
    connect(m_search, &QPushButton::clicked, this, &CDlgZip::Search);

    m_close->setObjectName(QStringLiteral("btnClose"));
    m_close->setAccessibleName(QStringLiteral("닫기"));
    m_close->move(775, 5);
    m_close->SetBitmaps(ClientBitmap::kZipCloseHover, CXButton::kMagenta, ClientBitmap::kZipClose, CXButton::kMagenta);
    m_close->SizeToContent();
    connect(m_close, &QPushButton::clicked, this, [this] { done(2); });

    m_list->setObjectName(QStringLiteral("listZip"));
    m_list->setAccessibleName(QStringLiteral("검색 결과"));
    m_list->setGeometry(27, 199, 747, 365);
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->setShowGrid(true);
    // The two visible columns fill the list; an address too long for its column ends in an ellipsis.
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->AddColumn('C', 177, QStringLiteral("우편번호"));
    m_list->AddColumn('L', 570, QStringLiteral("주 소"));
    m_list->AddColumn('L', 0, QString());
    m_list->AddColumn('L', 0, QString());
    m_list->installEventFilter(this);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { Choose(); });

    // The words the background shows, in reading order and tied to their fields.
    (new CXSkinText(this, QStringLiteral("찾으시는 곳의 동(읍, 면) 이름을 입력하고 검색을 누르십시오."),
                    {27, 60, 740, 30}))
        ->ReadBefore(m_name);
    new CXSkinText(this, QStringLiteral("동(읍, 면) 이름"), {60, 115, 160, 26}, m_name);
    (new CXSkinText(this, QStringLiteral("검색 결과"), {39, 166, 388, 26}))->ReadBefore(m_list);
    setAccessibleDescription(QStringLiteral("찾으시는 곳의 동(읍, 면) 이름을 입력하고 검색을 누르십시오."));
}

void CDlgZip::showEvent(QShowEvent* event) {
    CentreOn(m_mainWindow);
    CXDialog::showEvent(event);
    m_name->setFocus(Qt::OtherFocusReason);
}

bool CDlgZip::eventFilter(QObject* watched, QEvent* event) {
    // Enter must not reach the dialog, which would press a button instead.
    if (watched == m_name && IsEnter(event)) {
        Search();
        return true;
    }
    if (watched == m_list && IsEnter(event)) {
        Choose();
        return true;
    }
    return CXDialog::eventFilter(watched, event);
}

void CDlgZip::Search() {
    const std::string name = TrimSpace(m_name->Cp949Text());
    if (name.empty()) {
        m_host.ShowMessage(m_host.Env().GetText("MESSAGE", "MSG_InputCheck_DongName"));
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::optional<std::string> reply = RunTransaction(m_host, PostalCodeRequest(name), WorkCode::kPostalSearch);
    if (!reply) {
        // The user has been told why; the earlier results stay for another try.
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    FillList(*reply);
    Announce(QStringLiteral("검색 결과 %1건").arg(m_list->rowCount()));
    m_list->setFocus(Qt::OtherFocusReason);
    if (m_list->rowCount() > 0) {
        m_list->selectRow(0);
    }
}

void CDlgZip::FillList(const std::string& reply) {
    m_entries = ReadPostalCodeList(m_host.Reader(), reply);
    m_list->setUpdatesEnabled(false);
    m_list->clearContents();
    m_list->setRowCount(static_cast<int>(m_entries.size()));
    for (int row = 0; row < static_cast<int>(m_entries.size()); ++row) {
        const PostalCodeEntry& entry = m_entries[static_cast<size_t>(row)];
        m_list->SetItemText(row, 0, ToUi(ZipForDisplay(entry.zipCode)));
        m_list->SetItemText(row, 1, ToUi(entry.addr1 + " " + entry.addr2));
        m_list->SetItemText(row, 2, ToUi(entry.zipCode));
        m_list->SetItemText(row, 3, ToUi(entry.addr1));
    }
    m_list->setUpdatesEnabled(true);
}

void CDlgZip::Choose() {
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    // The hidden columns hold the same texts for the eye; the bytes kept as received go back to the page.
    const PostalCodeEntry& entry = m_entries.at(static_cast<size_t>(selected.first()->row()));
    m_chosenZip = entry.zipCode;
    m_chosenAddress = entry.addr1;
    done(1);
}
