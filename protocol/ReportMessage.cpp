#include "protocol/ReportMessage.h"

#include "platform/Codec.h"
#include "protocol/Envelope.h"

#include <string_view>

std::string ReportRequest(const ReportFields& f) {
    std::string text = "<VESK><WORK>011</WORK><CALLER>";
    text += TagField("NAME", f.name);
    text += TagField("SSN", f.storedSsn);
    text += TagField("ZIPCODE", f.zip);
    text += TagField("ADDR1", f.addr1);
    text += TagField("ADDR2", f.addr2);
    text += TagField("TEL1", f.tel1);
    text += TagField("TEL2", f.tel2);
    text += TagField("TEL3", f.tel3);
    // Both hyphens always: a person without a mobile number sends "--".
    text += TagField("PHONE", f.cell1 + "-" + f.cell2 + "-" + f.cell3);
    text += TagField("EMAIL", f.email);
    text += TagField("IP", f.localIp);
    text += "<LANG>KO</LANG></CALLER><CALLINFO>";
    text += TagField("DSRADDR", BracketFreeText(f.place));
    text += TagField("TITLE", f.title);
    text += TagField("CONTENTS", BracketFreeText(f.detail));
    text += "</CALLINFO></VESK>";
    return text;
}

std::string ReportTitleFor(int category) {
    static constexpr const char* kTitles[] = {"화재신고", "구급신고", "구조신고", "재난신고", "기타신고"};
    if (category < 0 || category >= 5) {
        return {};
    }
    return platform::Cp949Of(kTitles[category]);
}

std::string PatientSection(const std::string& ssn, const std::string& caseNote) {
    const std::string digits = ssn.size() >= 7 ? ssn : ssn + std::string(7 - ssn.size(), ' ');
    const char* sex = digits[6] == '2' ? " . 여자" : " . 남자";
    return platform::Cp949Of("[환자관련사항]") + " - " + digits.substr(0, 2) + "." + digits.substr(2, 2) + "." +
           digits.substr(4, 2) + platform::Cp949Of("(생)") + " " + platform::Cp949Of(sex) + "\r\n" + caseNote;
}

std::string OtherPatientSection() {
    return platform::Cp949Of("[환자관련사항]") + "\r\n";
}

namespace {
constexpr std::string_view kLineBreak = "\r\n";

bool NeedsBreakAfter(const std::string& section) {
    return !section.empty() && !section.ends_with(kLineBreak);
}
} // namespace

std::string DetailWithSection(const std::string& section, const std::string& words) {
    if (words.empty()) {
        return section;
    }
    return section + (NeedsBreakAfter(section) ? std::string(kLineBreak) : std::string()) + words;
}

std::string WordsAfterSection(const std::string& detail, const std::string& section) {
    if (section.empty() || !detail.starts_with(section)) {
        return detail;
    }
    std::string words = detail.substr(section.size());
    if (NeedsBreakAfter(section) && words.starts_with(kLineBreak)) {
        words.erase(0, kLineBreak.size());
    }
    return words;
}

std::string JoinPhoneForDisplay(const std::string& first, const std::string& middle, const std::string& last) {
    std::string joined;
    if (!first.empty()) {
        joined += first + "-";
    }
    if (!middle.empty()) {
        joined += middle + "-";
    }
    return joined + last;
}
