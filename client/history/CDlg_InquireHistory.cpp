#include "client/history/CDlg_InquireHistory.h"

#include "client/app/PageHost.h"
#include "client/app/Transaction.h"
#include "client/env/Environment.h"
#include "protocol/HistoryMessage.h"
#include "protocol/TextTrim.h"
#include "protocol/WorkCode.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXSkinText.h"
#include "skin/CXTextEdit.h"
#include "skin/UiText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

constexpr int kRowHeight = 28;

struct ColumnLayout {
    char alignment;
    int width;
    const char* header;
};

// In the order of CDlg_InquireHistory::Column. The last three hold what the detail needs but the list
// does not show.
constexpr ColumnLayout kColumns[] = {
    {'L', 166, "작성일자"}, {'L', 395, "제목"}, {'C', 148, "진행상태"}, {'C', 145, "작성자"},
    {'L', 0, ""},           {'L', 0, ""},       {'L', 0, ""},
};

const QColor kTabText{31, 91, 142};
const QColor kTabHoverText{0, 0, 0};
const QColor kTabSelectedText{255, 255, 243};

} // namespace

CDlg_InquireHistory::CDlg_InquireHistory(PageHost& host, QWidget* parent)
    : PageWidget(host, parent, "CDlg_InquireHistory", "History_BG.bmp") {
    setAccessibleName(QStringLiteral("신고 내역"));
}

void CDlg_InquireHistory::Build() {
    // The fields in the size of every other page's fields.
    QFont pageFont(QStringLiteral("돋움"));
    pageFont.setPixelSize(15);
    setFont(pageFont);

    for (int i = 0; i < kTabCount; ++i) {
        auto* tab = new CXButton(this);
        tab->setObjectName(QStringLiteral("tabPerson%1").arg(i));
        tab->setAccessibleName(QStringLiteral("사용자 %1").arg(i + 1));
        tab->setAutoDefault(false);
        CXButton::SetupTabButton(Host().Catalogue(), *tab, 38 + 206 * i, 16, "Histroy_UserTab_o.bmp",
                                 "Histroy_UserTab_n.bmp", "Histroy_UserTab_s.bmp");
        tab->SetNormalTextColor(kTabText);
        tab->SetHoverTextColor(kTabHoverText);
        tab->SetSelectedTextColor(kTabSelectedText);
        tab->SetBottomCaption(true);
        tab->hide();
        PressWithReturn(tab);
        connect(tab, &QPushButton::clicked, this, [this, i] { SelectPersonTab(i); });
        m_tabs[static_cast<size_t>(i)] = tab;
    }

    m_list = new CXListCtrl(this);
    m_list->setObjectName(QStringLiteral("listHistory"));
    m_list->setAccessibleName(QStringLiteral("신고 내역 목록"));
    m_list->setGeometry(67, 150, 855, 130);
    for (const ColumnLayout& column : kColumns) {
        m_list->AddColumn(column.alignment, column.width, QString::fromUtf8(column.header));
    }
    // The columns the detail reads take no room, and the title takes what the others leave: the four shown
    // columns fit the list's width, with or without its vertical scroll bar, and it never scrolls sideways.
    for (int column = kNo; column < kColumnCount; ++column) {
        m_list->setColumnHidden(column, true);
    }
    m_list->horizontalHeader()->setSectionResizeMode(kTitle, QHeaderView::Stretch);
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->setShowGrid(true);
    // Small enough that a date with its time fits its column.
    QFont rowFont(QStringLiteral("돋움"));
    rowFont.setPointSize(13);
    m_list->setFont(rowFont);
    // The detail follows a click or Enter, never the arrow keys: reading through the list leaves the report
    // being read in place.
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);

    m_place = new CXEdit(this);
    m_place->setObjectName(QStringLiteral("editPlace"));
    m_place->setAccessibleName(QStringLiteral("사고 장소"));
    m_place->setGeometry(201, 330, 716, 24);
    m_title = new CXEdit(this);
    m_title->setObjectName(QStringLiteral("editTitle"));
    m_title->setAccessibleName(QStringLiteral("제목"));
    m_title->setGeometry(201, 365, 716, 24);
    m_contents = new CXTextEdit(this);
    m_contents->setObjectName(QStringLiteral("editContents"));
    m_contents->setAccessibleName(QStringLiteral("신고 내용"));
    m_contents->setGeometry(201, 396, 716, 76);
    m_contents->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (CXEdit* field : {m_place, m_title}) {
        field->setReadOnly(true);
    }
    m_contents->setReadOnly(true);
    MoveOnWithReturn({m_place, m_title});
    // The words the background shows, tied to their fields.
    (new CXSkinText(this, QStringLiteral("신고 내역"), {79, 116, 388, 26}))->ReadBefore(m_list);
    (new CXSkinText(this, QStringLiteral("신고 상세"), {79, 296, 388, 26}))->ReadBefore(m_place);
    new CXSkinText(this, QStringLiteral("사고 장소"), {30, 330, 160, 24}, m_place);
    new CXSkinText(this, QStringLiteral("제목"), {30, 365, 160, 24}, m_title);
    new CXSkinText(this, QStringLiteral("신고 내용"), {30, 396, 160, 24}, m_contents);
}

bool CDlg_InquireHistory::event(QEvent* event) {
    const bool handled = PageWidget::event(event);
    // Asked again each time the user turns to this page, once it is on screen; not when the main window
    // comes back from the task bar.
    if (event->type() == QEvent::ShowToParent) {
        RefreshPersonTabs();
    }
    return handled;
}

void CDlg_InquireHistory::RefreshPersonTabs() {
    m_personKeys = {};
    for (CXButton* tab : m_tabs) {
        tab->hide();
    }
    const Environment& env = Host().Env();
    int chosen = 0;
    int listed = -1;
    int n = 0;
    for (const auto& entry : env.PersonMap()) {
        if (n >= kTabCount) {
            break;
        }
        CXButton* tab = m_tabs[static_cast<size_t>(n)];
        m_personKeys[static_cast<size_t>(n)] = entry.key;
        const QString name = ToUi(entry.value->Name);
        tab->setText(name);
        tab->setAccessibleName(name);
        tab->show();
        if (entry.key == env.Selection().SelectedPersonKey()) {
            chosen = n;
        }
        if (entry.key == m_listedKey) {
            listed = n;
        }
        ++n;
    }
    // The highlight marks whose reports the rows are, even when the persons moved to other tabs meanwhile; rows
    // of a person who is no longer stored belong to no tab and go.
    if (listed < 0 && !m_listedKey.empty()) {
        m_list->setRowCount(0);
        m_rowContents.clear();
        m_listedKey.clear();
    }
    HighlightTab(listed);
    SelectPersonTab(chosen);
}

void CDlg_InquireHistory::SelectPersonTab(int index) {
    if (index < 0 || index >= kTabCount) {
        return;
    }
    m_currentKey = m_personKeys[static_cast<size_t>(index)];
    ClearDetail();
    if (InquireHistory(1) == 0) {
        return;
    }
    HighlightTab(index);
    m_list->setFocus(Qt::OtherFocusReason);
    if (m_list->rowCount() > 0) {
        m_list->selectRow(0);
    }
    ShowHistoryDetail();
}

int CDlg_InquireHistory::InquireHistory(int caseSet) {
    const auto* person = Host().Env().PersonMap().Find(m_currentKey);
    if (person == nullptr) {
        return 0;
    }
    const std::optional<std::string> reply =
        RunTransaction(Host(), HistoryRequest((*person)->Name, (*person)->StoredSsn(), caseSet), WorkCode::kHistory);
    if (!reply) {
        return 0;
    }
    FillHistoryList(*reply);
    m_listedKey = m_currentKey;
    return 1;
}

void CDlg_InquireHistory::FillHistoryList(const std::string& reply) {
    const std::vector<HistoryRecord> records = ReadHistoryList(Host().Reader(), reply);
    m_list->setRowCount(0);
    m_rowContents.clear();
    m_rowContents.reserve(records.size());
    m_list->setUpdatesEnabled(false);
    for (const HistoryRecord& record : records) {
        const int row = m_list->InsertItem(m_list->rowCount(), ToUi(record.date));
        m_list->SetItemText(row, kTitle, ToUi(record.title));
        m_list->SetItemText(row, kState, ToUi(record.procStatus));
        m_list->SetItemText(row, kAuthor, ToUi(record.name));
        m_list->SetItemText(row, kNo, ToUi(record.no));
        m_list->SetItemText(row, kBoardLevel, ToUi(record.boardLevel));
        m_list->SetItemText(row, kPlace, ToUi(record.place));
        m_rowContents.push_back(record.contents);
    }
    m_list->setUpdatesEnabled(true);
}

void CDlg_InquireHistory::ShowHistoryDetail() {
    const QModelIndexList picked = m_list->selectionModel()->selectedRows();
    if (picked.isEmpty()) {
        return;
    }
    int row = picked.front().row();
    for (const QModelIndex& index : picked) {
        row = std::min(row, index.row());
    }
    m_place->setText(m_list->GetItemText(row, kPlace).trimmed());
    m_title->setText(m_list->GetItemText(row, kTitle).trimmed());
    // The field shows bare line feeds and CR LF alike as line breaks.
    const size_t entry = static_cast<size_t>(row);
    m_contents->SetCp949Text(entry < m_rowContents.size() ? TrimSpace(m_rowContents[entry]) : std::string());
}

void CDlg_InquireHistory::ClearDetail() {
    m_place->clear();
    m_title->clear();
    m_contents->SetCp949Text(std::string());
}

void CDlg_InquireHistory::HighlightTab(int index) {
    for (int i = 0; i < kTabCount; ++i) {
        m_tabs[static_cast<size_t>(i)]->SetSelected(i == index);
    }
}

bool CDlg_InquireHistory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ShowHistoryDetail();
            return true;
        }
    }
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The press has already picked the row.
        ShowHistoryDetail();
    }
    return PageWidget::eventFilter(watched, event);
}
