#include "client/report/CDlg_SendCall.h"

#include "client/app/PageHost.h"
#include "client/app/PhoneLists.h"
#include "client/app/Transaction.h"
#include "client/dialogs/CDlgCallConfirm.h"
#include "client/env/Environment.h"
#include "client/env/MachineIdentity.h"
#include "client/protocol/Envelope.h"
#include "client/protocol/TagReader.h"
#include "client/protocol/TextTrim.h"
#include "client/report/ReportMessage.h"
#include "platform/Codec.h"
#include "skin/CXButton.h"
#include "skin/CXComboBox.h"
#include "skin/CXEdit.h"
#include "skin/CXSkinText.h"
#include "skin/CXTextEdit.h"
#include "skin/CXTransparentStatic.h"
#include "skin/SkinCatalogue.h"
#include "skin/UiText.h"

namespace {

const QColor kTabText(31, 91, 142);
const QColor kTabHoverText(0, 0, 0);
const QColor kTabSelectedText(255, 255, 243);

struct CategoryTab {
    const char* objectName;
    const char* accessibleName;
    int x;
    const char* hover;
    const char* normal;
    const char* selected;
    const char* tipKey;
};

// In the order of the categories: fire, medical, rescue, disaster, other.
constexpr CategoryTab kCategoryTabs[] = {
    {"tabFire", "화재", 109, "Tab_Fire_o.bmp", "Tab_Fire_n.bmp", "Tab_Fire_s.bmp", "SC_PAGE_BTN_FIRE"},
    {"tabEmergency", "구급", 278, "Tab_Emergency_o.bmp", "Tab_Emergency_n.bmp", "Tab_Emergency_s.bmp",
     "SC_PAGE_BTN_EMERGENCE"},
    {"tabRescue", "구조", 447, "Tab_Rescue_o.bmp", "Tab_Rescue_n.bmp", "Tab_Rescue_s.bmp", "SC_PAGE_BTN_RESCUE"},
    {"tabDisaster", "재난", 616, "Tab_Disaster_o.bmp", "Tab_Disaster_n.bmp", "Tab_Disaster_s.bmp",
     "SC_PAGE_BTN_DISASER"},
    {"tabEtc", "기타", 785, "Tab_Etc_o.bmp", "Tab_Etc_n.bmp", "Tab_Etc_s.bmp", "SC_PAGE_BTN_ETC"},
};

template <typename Control>
Control* Make(QWidget* parent, const char* objectName, const char* accessibleName, const QRect& where) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleName(QString::fromUtf8(accessibleName));
    control->setGeometry(where);
    return control;
}

CXEdit* PhonePart(QWidget* parent, const char* objectName, const char* accessibleName, int x, int y) {
    auto* edit = Make<CXEdit>(parent, objectName, accessibleName, QRect(x, y, 50, 22));
    edit->SetDigitsOnly(true);
    edit->SetByteLimit(4);
    return edit;
}

// The drop-down lists show one line; their list opens about 170 pixels high.
CXComboBox* DropDown(QWidget* parent, const char* objectName, const char* accessibleName, int x, int y, int width) {
    auto* list = Make<CXComboBox>(parent, objectName, accessibleName, QRect(x, y, width, 24));
    list->setMaxVisibleItems(8);
    return list;
}

CXTransparentStatic* Picture(QWidget* parent, SkinCatalogue& catalogue, const char* objectName,
                             const char* accessibleName, const char* file) {
    auto* picture = Make<CXTransparentStatic>(parent, objectName, accessibleName, QRect(120, 292, 0, 0));
    if (const QPixmap* bitmap = catalogue.GetImage(file)) {
        picture->setPixmap(*bitmap);
        picture->resize(bitmap->size());
    }
    return picture;
}

} // namespace

CDlg_SendCall::CDlg_SendCall(PageHost& host, QWidget* parent)
    : PageDialog(host, parent, "CDlg_SendCall", "SendCall_BG.bmp") {
    setAccessibleName(QStringLiteral("신고하기"));
}

void CDlg_SendCall::Build() {
    SkinCatalogue& catalogue = Host().Catalogue();
    Environment& env = Host().Env();

    // Created in the order the tab key walks through them.
    for (int i = 0; i < kMaxPersons; ++i) {
        auto* tab = new CXButton(this);
        tab->setObjectName(QStringLiteral("personTab%1").arg(i));
        tab->setAccessibleName(QStringLiteral("신고자 %1").arg(i + 1));
        CXButton::SetupTabButton(catalogue, *tab, 109 + 169 * i, 10, "SendCall_UserTab_o.bmp", "SendCall_UserTab_n.bmp",
                                 "SendCall_UserTab_s.bmp");
        tab->SetNormalTextColor(kTabText);
        tab->SetHoverTextColor(kTabHoverText);
        tab->SetSelectedTextColor(kTabSelectedText);
        tab->setAutoDefault(false);
        tab->hide();
        connect(tab, &QPushButton::clicked, this, [this, i] { SelectPerson(i); });
        m_personTabs[static_cast<size_t>(i)] = tab;
    }
    m_address = Make<CXEdit>(this, "editAddress", "주소", QRect(249, 76, 672, 22));
    m_address->setReadOnly(true);
    m_tel1 = DropDown(this, "comboTel1", "집 전화 지역번호", 245, 106, 110);
    m_tel2 = PhonePart(this, "editTel2", "집 전화 가운데 자리", 382, 110);
    m_tel3 = PhonePart(this, "editTel3", "집 전화 끝 자리", 462, 110);
    m_cell1 = DropDown(this, "comboCell1", "휴대전화 앞자리", 657, 106, 110);
    m_cell2 = PhonePart(this, "editCell2", "휴대전화 가운데 자리", 794, 110);
    m_cell3 = PhonePart(this, "editCell3", "휴대전화 끝 자리", 872, 110);
    m_caseNote = Make<CXTextEdit>(this, "editCaseNote", "참고 사항", QRect(249, 145, 674, 48));
    m_caseNote->setReadOnly(true);
    for (int i = 0; i < kCategoryCount; ++i) {
        const CategoryTab& layout = kCategoryTabs[i];
        auto* tab = new CXButton(this);
        tab->setObjectName(QString::fromLatin1(layout.objectName));
        tab->setAccessibleName(QString::fromUtf8(layout.accessibleName));
        CXButton::SetupTabButton(catalogue, *tab, layout.x, 222, layout.hover, layout.normal, layout.selected);
        tab->setAutoDefault(false);
        connect(tab, &QPushButton::clicked, this, [this, i] { ChooseCategory(i); });
        m_categoryTabs[static_cast<size_t>(i)] = tab;
    }
    m_patientPicture = Picture(this, catalogue, "picPatient", "환자 선택", "SendCall_Patient.bmp");
    m_typeSelectPicture = Picture(this, catalogue, "picTypeSelect", "위에서 신고 유형을 먼저 선택해 주십시오.",
                                  "SendCall_TypeSelect.bmp");
    m_patients = DropDown(this, "comboPatient", "환자", 245, 288, 271);
    m_place = Make<CXEdit>(this, "editPlace", "사고 장소", QRect(249, 328, 672, 22));
    m_place->SetByteLimit(50);
    m_detail = Make<CXTextEdit>(this, "editDetail", "상황 설명", QRect(249, 358, 674, 76));
    m_detail->SetByteLimit(2000);
    m_send = new CXButton(this);
    m_send->setObjectName(QStringLiteral("btnSend"));
    m_send->setAccessibleName(QStringLiteral("신고하기"));
    m_send->move(379, 459);
    m_send->SetBitmaps(catalogue.GetImage("btn_call_o.bmp"), CXButton::kMagenta, catalogue.GetImage("btn_call.bmp"),
                       CXButton::kMagenta);
    m_send->SizeToContent();
    m_send->setAutoDefault(false);
    connect(m_send, &QPushButton::clicked, this, &CDlg_SendCall::Send);
    // The words the background shows, tied to their fields.
    new CXSkinText(this, QStringLiteral("주소"), {76, 76, 160, 22}, m_address);
    new CXSkinText(this, QStringLiteral("집 전화"), {76, 110, 160, 22}, m_tel1);
    new CXSkinText(this, QStringLiteral("휴대전화"), {488, 110, 160, 22}, m_cell1);
    new CXSkinText(this, QStringLiteral("참고 사항"), {76, 145, 160, 22}, m_caseNote);
    (new CXSkinText(this, QStringLiteral("신고 유형"), {52, 196, 388, 26}))->ReadBefore(m_categoryTabs[0]);
    new CXSkinText(this, QStringLiteral("사고 장소"), {76, 328, 160, 22}, m_place);
    new CXSkinText(this, QStringLiteral("상황 설명"), {76, 358, 160, 22}, m_detail);
    m_patientPicture->setBuddy(m_patients);
    m_patientPicture->stackUnder(m_patients);
    connect(m_patients, &QComboBox::activated, this, &CDlg_SendCall::ChoosePatient);

    FillAreaCodeList(*m_tel1, env);
    FillMobilePrefixList(*m_cell1, env);
    m_tel1->setCurrentIndex(0);
    m_cell1->setCurrentIndex(0);
    m_localIp = GetLocalIp();
    m_patientPicture->hide();
    m_patients->hide();
    ShowPlaceAndDetail(false);

    MoveOnWithReturn({m_place, m_patients});
    PressWithReturn(m_send);
    InitToolTips();
    for (CXButton* tab : m_personTabs) {
        AddTip(tab, "SC_PAGE_BTN_USER");
    }
    for (int i = 0; i < kCategoryCount; ++i) {
        AddTip(m_categoryTabs[static_cast<size_t>(i)], kCategoryTabs[i].tipKey);
    }
    AddTip(m_send, "SC_PAGE_BTN_SEND");
    AddTip(m_address, "SC_PAGE_EDT_ADDRESS");
    AddTip(m_tel1, "EU_PAGE_EDT_TEL1");
    AddTip(m_tel2, "EU_PAGE_EDT_TEL2");
    AddTip(m_tel3, "EU_PAGE_EDT_TEL3");
    AddTip(m_cell1, "EU_PAGE_EDT_CELL1");
    AddTip(m_cell2, "EU_PAGE_EDT_CELL2");
    AddTip(m_cell3, "EU_PAGE_EDT_CELL3");
    AddTip(m_caseNote, "SC_PAGE_EDT_CASE");
    AddTip(m_place, "SC_PAGE_EDT_PLACE");
    AddTip(m_detail, "SC_PAGE_EDT_DETAIL");
}

void CDlg_SendCall::showEvent(QShowEvent* event) {
    PageDialog::showEvent(event);
    Refresh();
}

Person* CDlg_SendCall::SelectedPerson() {
    const std::string& key = Host().Env().SelectedPersonKey;
    if (key.empty()) {
        return nullptr;
    }
    std::unique_ptr<Person>* entry = Host().Env().PersonMap().Find(key);
    return entry ? entry->get() : nullptr;
}

void CDlg_SendCall::ShowPlaceAndDetail(bool shown) {
    m_place->setVisible(shown);
    m_detail->setVisible(shown);
    m_typeSelectPicture->setVisible(!shown);
}

void CDlg_SendCall::Refresh() {
    Environment& env = Host().Env();
    UseNativeInput(m_place);
    UseNativeInput(m_detail);

    const std::string selectedKey = env.SelectedPersonKey;
    const std::string patientKey = env.PatientKey;
    m_personKeys.fill(std::string());
    for (CXButton* tab : m_personTabs) {
        tab->hide();
        tab->SetSelected(false);
    }
    for (CXButton* tab : m_categoryTabs) {
        tab->SetSelected(false);
    }
    m_patients->clear();

    // Never more tabs than there are: whatever the store holds, four persons at most.
    int selectedTab = -1;
    int patientPosition = -1;
    m_personCount = 0;
    for (const auto& entry : env.PersonMap()) {
        if (m_personCount == kMaxPersons) {
            break;
        }
        const size_t i = static_cast<size_t>(m_personCount);
        m_personKeys[i] = entry.key;
        m_personTabs[i]->setText(ToUi(entry.value->Name));
        m_personTabs[i]->setAccessibleName(m_personTabs[i]->text());
        m_personTabs[i]->show();
        m_patients->addItem(ToUi(entry.value->Name));
        if (entry.key == selectedKey) {
            selectedTab = m_personCount;
        }
        if (entry.key == patientKey) {
            patientPosition = m_personCount;
        }
        ++m_personCount;
    }
    m_patients->addItem(QStringLiteral("기타환자"));

    selectedTab = std::max(selectedTab, 0);
    m_personTabs[static_cast<size_t>(selectedTab)]->SetSelected(m_personCount > 0);
    env.SelectedPersonKey = m_personKeys[static_cast<size_t>(selectedTab)];
    patientPosition = std::max(patientPosition, 0);
    m_patients->setCurrentIndex(patientPosition);
    env.PatientKey = patientPosition < m_personCount ? m_personKeys[static_cast<size_t>(patientPosition)] : "";

    if (env.ReportCategory == Environment::kNoCategory) {
        ShowPlaceAndDetail(false);
        m_typeSelect = true;
    } else {
        m_categoryTabs[static_cast<size_t>(env.ReportCategory)]->SetSelected(true);
        if (m_typeSelect) {
            ShowPlaceAndDetail(true);
            m_typeSelect = false;
        }
    }
    const bool medical = env.ReportCategory == Environment::kMedical;
    m_patients->setVisible(medical);
    m_patientPicture->setVisible(medical);

    FillFromSelectedPerson();
    ApplyCategory();
    // The page starts on its first choice: the category, the one chosen or else the first.
    const bool chosen = env.ReportCategory >= 0 && env.ReportCategory < kCategoryCount;
    m_categoryTabs[chosen ? static_cast<size_t>(env.ReportCategory) : 0]->setFocus(Qt::OtherFocusReason);
}

void CDlg_SendCall::FillFromSelectedPerson() {
    const Person* person = SelectedPerson();
    if (!person) {
        return;
    }
    const Environment& env = Host().Env();
    m_place->SetCp949Text(person->Addr1);
    m_address->SetCp949Text(person->Addr1 + " " + person->Addr2);
    m_address->setCursorPosition(0);
    m_tel1->setCurrentIndex(env.AreaCodeIndex(*person));
    m_cell1->setCurrentIndex(env.MobilePrefixIndex(*person));
    m_tel2->SetCp949Text(person->Tel2);
    m_tel3->SetCp949Text(person->Tel3);
    m_cell2->SetCp949Text(person->Cell2);
    m_cell3->SetCp949Text(person->Cell3);
    m_caseNote->SetCp949Text(person->CaseNote);
}

void CDlg_SendCall::SelectPerson(int index) {
    if (index < 0 || index >= m_personCount) {
        return;
    }
    Host().Env().SelectedPersonKey = m_personKeys[static_cast<size_t>(index)];
    for (int i = 0; i < kMaxPersons; ++i) {
        m_personTabs[static_cast<size_t>(i)]->SetSelected(i == index);
    }
    FillFromSelectedPerson();
}

void CDlg_SendCall::ChooseCategory(int category) {
    if (category < 0 || category >= kCategoryCount) {
        return;
    }
    Environment& env = Host().Env();
    if (m_typeSelect) {
        ShowPlaceAndDetail(true);
        m_typeSelect = false;
    }
    env.ReportCategory = category;
    const bool medical = category == Environment::kMedical;
    m_patientPicture->setVisible(medical);
    m_patients->setVisible(medical);
    for (int i = 0; i < kCategoryCount; ++i) {
        m_categoryTabs[static_cast<size_t>(i)]->SetSelected(i == category);
    }
    ApplyCategory();
}

void CDlg_SendCall::ApplyCategory() {
    Environment& env = Host().Env();
    m_reportTitle = ReportTitleFor(env.ReportCategory);
    if (env.ReportCategory != Environment::kMedical) {
        PutDetail(std::string());
        return;
    }
    env.PatientKey = env.SelectedPersonKey;
    for (int i = 0; i < m_personCount; ++i) {
        if (m_personKeys[static_cast<size_t>(i)] == env.PatientKey) {
            m_patients->setCurrentIndex(i);
        }
    }
    PutDetail(ComposePatientSection());
    m_patients->setFocus(Qt::OtherFocusReason);
}

void CDlg_SendCall::ChoosePatient() {
    Environment& env = Host().Env();
    const int position = m_patients->currentIndex();
    env.PatientKey = position >= 0 && position < m_personCount ? m_personKeys[static_cast<size_t>(position)] : "";
    PutDetail(ComposePatientSection());
}

std::string CDlg_SendCall::ComposePatientSection() {
    const Environment& env = Host().Env();
    const std::unique_ptr<Person>* patient = env.PatientKey.empty() ? nullptr : env.PersonMap().Find(env.PatientKey);
    if (!patient) {
        return OtherPatientSection();
    }
    return PatientSection((*patient)->Ssn, (*patient)->CaseNote);
}

void CDlg_SendCall::PutDetail(const std::string& text) {
    m_detail->SetCp949Text(text);
    m_detail->moveCursor(QTextCursor::End);
    m_place->setFocus(Qt::OtherFocusReason);
    m_place->selectAll();
}

bool CDlg_SendCall::SettlePhoneChanges(Person& person) {
    Environment& env = Host().Env();
    const std::string values[] = {SelectedAreaCode(*m_tel1, env),      m_tel2->Cp949Text(),  m_tel3->Cp949Text(),
                                  SelectedMobilePrefix(*m_cell1, env), m_cell2->Cp949Text(), m_cell3->Cp949Text()};
    std::string* stored[] = {&person.Tel1, &person.Tel2, &person.Tel3, &person.Cell1, &person.Cell2, &person.Cell3};
    bool changed = false;
    for (size_t i = 0; i < 6; ++i) {
        changed = changed || values[i] != *stored[i];
    }
    if (!changed) {
        return true;
    }
    if (Host().ShowQuestion(env.GetText("MESSAGE", "MSG_UserInfo_Changed")) != 1) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        *stored[i] = values[i];
    }
    if (!env.SavePersons()) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_UserInfo_ChangeFail"));
    }
    return true;
}

void CDlg_SendCall::Send() {
    // One report at a time: a second press while one is under way does nothing.
    if (m_sending) {
        return;
    }
    m_sending = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_sending};

    Environment& env = Host().Env();
    if (TrimSpace(m_place->Cp949Text()).empty()) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_InputCheck_Place"));
        return;
    }
    if (TrimSpace(m_detail->Cp949Text()).empty()) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_InputCheck_Contents"));
        return;
    }
    Person* person = SelectedPerson();
    if (!person || !SettlePhoneChanges(*person)) {
        return;
    }
    const std::string& ssn = person->Ssn;
    CDlgCallConfirm confirm(window());
    const int answer = confirm.Show(
        person->Name, ssn.substr(0, 6), ssn.size() > 6 ? ssn.substr(6, 7) : std::string(), m_address->Cp949Text(),
        JoinPhoneForDisplay(SelectedAreaCode(*m_tel1, env), m_tel2->Cp949Text(), m_tel3->Cp949Text()),
        JoinPhoneForDisplay(SelectedMobilePrefix(*m_cell1, env), m_cell2->Cp949Text(), m_cell3->Cp949Text()),
        BracketFreeText(m_place->Cp949Text()), BracketFreeText(m_detail->Cp949Text()), env.ReportCategory);
    if (answer != 1) {
        return;
    }
    if (SendReport() == 1) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_SendCall_Success"));
    }
}

int CDlg_SendCall::SendReport() {
    const Person* person = SelectedPerson();
    if (!person) {
        return 0;
    }
    ReportFields fields;
    fields.name = person->Name;
    fields.storedSsn = person->StoredSsn();
    fields.zip = person->Zip;
    fields.addr1 = person->Addr1;
    fields.addr2 = person->Addr2;
    fields.tel1 = person->Tel1;
    fields.tel2 = person->Tel2;
    fields.tel3 = person->Tel3;
    fields.cell1 = person->Cell1;
    fields.cell2 = person->Cell2;
    fields.cell3 = person->Cell3;
    fields.email = person->Email;
    fields.localIp = m_localIp;
    fields.place = m_place->Cp949Text();
    fields.detail = m_detail->Cp949Text();
    fields.title = m_reportTitle;
    Announce(QStringLiteral("신고를 보내고 있습니다."));
    const auto reply = RunTransaction(Host(), ReportRequest(fields), 11, "MSG_SendCall_NetworkFailure");
    return reply ? CheckReportResult(*reply) : 0;
}

int CDlg_SendCall::CheckReportResult(const std::string& reply) {
    int position = 0;
    if (Host().Reader().GetTagValue(reply, "RESULT", position) == platform::Cp949Of("성공")) {
        return 1;
    }
    Host().ShowMessage(Host().Env().GetText("MESSAGE", "MSG_SendCall_Failure"));
    return 0;
}
