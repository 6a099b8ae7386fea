#include "standins/centre/CentreService.h"

#include "client/env/CipherLibrary.h"
#include "platform/Codec.h"
#include "protocol/Envelope.h"
#include "standins/centre/CentreStore.h"
#include "standins/centre/LocalTime.h"
#include "standins/centre/ResidentCheck.h"
#include "standins/centre/TextCut.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kBodyPrefix = "StrRequest=";
constexpr const char* kAccepted = "성공";

// Our own texts are written in UTF-8 here and always convert.
std::string Cp949(const std::string& utf8) {
    return platform::Utf8ToCp949(utf8).value_or(std::string());
}
std::string Utf8(const std::string& cp949) {
    return platform::Cp949ToUtf8(cp949).value_or("(unreadable)");
}

// A value from the request, repeated in a reply or the log: short, and without tag brackets that would
// end the reply's field early.
std::string Quoted(const std::string& cp949) {
    bool cut = false;
    std::string text = CutUtf8(Utf8(cp949), 40, cut);
    for (char& c : text) {
        c = c == '<' ? '[' : c == '>' ? ']' : c;
    }
    return "\"" + text + (cut ? "...\"" : "\"");
}

// The fields of a report in request order, with the most bytes (code page 949) the client can send in each.
// Longer values come from no client of ours, and would only flood the dispatcher and the history.
struct ReportField {
    const char* name;
    std::size_t maxBytes;
    const char* label;
};
constexpr ReportField kReportFields[] = {
    {"NAME", 40, "신고자 이름"}, {"SSN", 64, "주민등록번호"},
    {"ZIPCODE", 16, "우편번호"}, {"ADDR1", 200, "주소"},
    {"ADDR2", 100, "상세 주소"}, {"TEL1", 8, "전화 지역번호"},
    {"TEL2", 8, "전화 국번"},    {"TEL3", 8, "전화 번호"},
    {"PHONE", 16, "휴대전화"},   {"EMAIL", 200, "전자우편"},
    {"IP", 64, "IP 주소"},       {"DSRADDR", CentreService::kMaxPlaceBytes, "신고 장소"},
    {"TITLE", 16, "신고 구분"},  {"CONTENTS", CentreService::kMaxContentsBytes, "신고 내용"},
};

std::string Envelope(const std::string& code, const std::string& fields) {
    return "<VESK><WORK>" + code + "</WORK>" + fields + "</VESK>";
}

CentreReply Answered(const std::string& work, const std::string& fields, const std::string& outcome) {
    const std::string code = std::to_string(100 + std::stoi(work));
    return {Envelope(code, fields), 200, work, code + " " + outcome};
}

// The centre refuses the request: the client shows "COMENT" to the user.
CentreReply Refused(const std::string& work, const std::string& comentUtf8) {
    return {Envelope("999", TagField("COMENT", Cp949(comentUtf8))), 200, work, "999 refused: " + comentUtf8};
}

// Something broke inside the centre: the client shows "TITLE" to the user.
CentreReply Broken(const std::string& work, const std::string& what) {
    const std::string title =
        "신고센터 내부 오류로 처리하지 못했습니다. 잠시 후 다시 시도하거나 119로 전화해 주십시오.";
    return {Envelope("500", TagField("TITLE", Cp949(title))), 500, work, "500 internal failure: " + what};
}

// Reads fields of a request. A field that is missing or not closed is named in `missing`. A value holding
// a tag bracket would have shifted the fields after it, so it is named in `broken`.
struct Fields {
    std::vector<std::string> values;
    std::string missing;
    std::string broken;
};

Fields ReadFields(const TagReader& reader, const std::string& request, const std::vector<const char*>& names) {
    Fields fields;
    for (const char* name : names) {
        int position = 0;
        fields.values.push_back(reader.GetTagValue(request, name, position));
        if (position <= 0 && fields.missing.empty()) {
            fields.missing = name;
        }
        if (fields.values.back().find_first_of("<>") != std::string::npos && fields.broken.empty()) {
            fields.broken = name;
        }
    }
    return fields;
}

// The refusal for a request whose fields cannot be used, or nothing when they can.
std::optional<CentreReply> CheckFields(const std::string& work, const Fields& fields) {
    if (!fields.missing.empty()) {
        return Refused(work, "요청에 필수 항목이 없습니다: " + fields.missing);
    }
    if (!fields.broken.empty()) {
        return Refused(work, "요청의 " + fields.broken + " 항목에 쓸 수 없는 문자(<, >)가 있습니다.");
    }
    return std::nullopt;
}

} // namespace

CentreService::CentreService(CentreSettings settings, CentreStore& store, const CipherLibrary& cipher)
    : m_settings(std::move(settings)), m_store(store), m_cipher(cipher) {}

CentreReply CentreService::Answer(const std::string& body) const {
    if (body.compare(0, kBodyPrefix.size(), kBodyPrefix) != 0) {
        return Refused("-", "요청 형식이 올바르지 않습니다. 본문이 StrRequest= 로 시작해야 합니다.");
    }
    const std::string request = body.substr(kBodyPrefix.size());
    int position = 0;
    const std::string work = m_reader.GetTagValue(request, "WORK", position);
    if (work == "002") {
        return PostalSearch(request);
    }
    if (work == "003") {
        return Version();
    }
    if (work == "004") {
        return RealNameCheck(request);
    }
    if (work == "011") {
        return Report(request);
    }
    if (work == "015") {
        return History(request);
    }
    const std::string shown = work.empty() ? "-" : Quoted(work);
    return Refused(shown, "알 수 없는 업무 코드입니다: " + shown);
}

std::string CentreService::ProgressOf(std::time_t receivedAt, std::time_t now) const {
    const long age = static_cast<long>(now - receivedAt);
    if (age < m_settings.progress[0]) {
        return "null";
    }
    if (age < m_settings.progress[1]) {
        return Cp949("접수");
    }
    if (age < m_settings.progress[2]) {
        return Cp949("출동");
    }
    return Cp949("처리완료");
}

CentreReply CentreService::PostalSearch(const std::string& request) const {
    const Fields fields = ReadFields(m_reader, request, {"DONG"});
    if (auto refusal = CheckFields("002", fields)) {
        return *refusal;
    }
    std::optional<std::string> dong = platform::Cp949ToUtf8(fields.values[0]);
    if (!dong || dong->empty()) {
        return Refused("002", "찾을 동 이름을 입력해 주십시오.");
    }
    auto entries = m_store.SearchPostal(*dong, kMaxPostalEntries);
    if (!entries) {
        return Broken("002", "postal search failed");
    }
    std::string list;
    for (const PostalEntry& e : *entries) {
        list += TagField("ZCODE", e.zipCode) + TagField("ADDR1", Cp949(e.addr1)) + TagField("ADDR2", Cp949(e.addr2));
    }
    return Answered("002", "<ZIP>" + list + "</ZIP>", std::to_string(entries->size()) + " entries for " + *dong);
}

CentreReply CentreService::Version() const {
    return Answered("003", TagField("VERSION", m_settings.version), "version " + m_settings.version);
}

CentreReply CentreService::RealNameCheck(const std::string& request) const {
    const Fields fields = ReadFields(m_reader, request, {"NAME", "SSN"});
    if (auto refusal = CheckFields("004", fields)) {
        return *refusal;
    }
    const std::string& name = fields.values[0];
    std::optional<std::string> ssn = m_cipher.DecryptText(fields.values[1]);
    if (!ssn || ssn->empty()) {
        return Refused("004", "주민등록번호를 해독할 수 없습니다.");
    }
    // The register alone decides; a request never adds to it.
    std::string result;
    if (!IsPlausibleName(name)) {
        result = "4";
    } else if (!IsPlausibleNumber(*ssn, std::time(nullptr))) {
        result = "3";
    } else {
        std::optional<ResidentMatch> match = m_store.CheckResident(*ssn, name);
        if (!match) {
            return Broken("004", "resident register failed");
        }
        result = *match == ResidentMatch::SameName ? "1" : *match == ResidentMatch::OtherName ? "2" : "3";
    }
    return Answered("004", TagField("CHECKRESULT", result), "CHECKRESULT " + result);
}

CentreReply CentreService::Report(const std::string& request) const {
    std::vector<const char*> names;
    for (const ReportField& field : kReportFields) {
        names.push_back(field.name);
    }
    const Fields fields = ReadFields(m_reader, request, names);
    if (auto refusal = CheckFields("011", fields)) {
        return *refusal;
    }
    for (size_t i = 0; i < fields.values.size(); ++i) {
        const ReportField& field = kReportFields[i];
        if (fields.values[i].size() > field.maxBytes) {
            return Refused("011", std::string(field.label) + "(" + field.name +
                                      ") 항목이 너무 깁니다: " + std::to_string(fields.values[i].size()) +
                                      "바이트, 최대 " + std::to_string(field.maxBytes) + "바이트입니다.");
        }
        if (!platform::Cp949ToUtf8(fields.values[i])) {
            return Refused("011", "신고에 읽을 수 없는 문자가 있습니다. 한글(완성형) 코드로 보내 주십시오.");
        }
    }
    CentreReport report;
    report.receivedAt = std::time(nullptr);
    std::string* targets[] = {&report.name, &report.ssn,   &report.zipCode, &report.addr1,   &report.addr2,
                              &report.tel1, &report.tel2,  &report.tel3,    &report.phone,   &report.email,
                              &report.ip,   &report.place, &report.title,   &report.contents};
    for (size_t i = 0; i < fields.values.size(); ++i) {
        *targets[i] = fields.values[i];
    }
    // A number that cannot be deciphered is kept empty: the caller is then simply not confirmed.
    report.ssn = m_cipher.DecryptText(report.ssn).value_or("");

    auto refuse = [](const std::string& why) {
        const std::string result = "실패: " + why;
        return Answered("011", TagField("RESULT", Cp949(result)), result);
    };
    if (report.place.empty()) {
        return refuse("신고 장소가 비어 있습니다.");
    }
    if (report.title.empty()) {
        return refuse("신고 구분이 비어 있습니다.");
    }
    if (report.contents.empty()) {
        return refuse("신고 내용이 비어 있습니다.");
    }
    // An emergency report is never refused for who sent it: a caller the register does not know by this
    // name and number is taken all the same, and shown to the dispatcher as not confirmed.
    std::optional<ResidentMatch> match = m_store.CheckResident(report.ssn, report.name);
    if (!match) {
        return Broken("011", "resident register failed");
    }
    report.verified = *match == ResidentMatch::SameName;
    std::optional<std::int64_t> no = m_store.AddReport(report);
    if (!no) {
        return Broken("011", "report could not be stored");
    }
    return Answered("011", TagField("RESULT", Cp949(kAccepted)),
                    std::string(kAccepted) + " no " + std::to_string(*no) + " " + Utf8(report.title) +
                        (report.verified ? "" : ", caller not confirmed"));
}

CentreReply CentreService::History(const std::string& request) const {
    const Fields fields = ReadFields(m_reader, request, {"NAME", "SSN", "CASESET"});
    if (auto refusal = CheckFields("015", fields)) {
        return *refusal;
    }
    std::optional<std::string> ssn = m_cipher.DecryptText(fields.values[1]);
    if (!ssn || ssn->empty()) {
        return Refused("015", "주민등록번호를 해독할 수 없습니다.");
    }
    if (fields.values[2] != "1") {
        return Refused("015", "지원하지 않는 조회 구분입니다: " + Quoted(fields.values[2]));
    }
    auto reports = m_store.ReportsOf(*ssn, fields.values[0], kMaxHistoryEntries);
    if (!reports) {
        return Broken("015", "history query failed");
    }
    const std::time_t now = std::time(nullptr);
    std::string list;
    for (const CentreReport& r : *reports) {
        list += TagField("NO", std::to_string(r.no)) + TagField("BOARDLEVEL", "0") + TagField("NAME", r.name) +
                TagField("DSRADDR", r.place) + TagField("TITLE", r.title) + TagField("CONTENTS", r.contents) +
                TagField("DATE", FormatLocalTime(r.receivedAt, "%Y-%m-%d %H:%M")) +
                TagField("PROCSTATUS", ProgressOf(r.receivedAt, now));
    }
    return Answered("015", "<CALLINFO>" + list + "</CALLINFO>", std::to_string(reports->size()) + " reports");
}
