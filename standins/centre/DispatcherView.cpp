#include "standins/centre/DispatcherView.h"

#include "platform/Codec.h"
#include "standins/centre/LocalTime.h"
#include "standins/centre/TextCut.h"

namespace {

// How much of each text the list shows; the report's own page shows it whole.
constexpr std::size_t kListChars = 60;
constexpr std::size_t kListContentsChars = 160;

constexpr const char* kUnverified = "본인 확인 안 됨";

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A received text for a page: code page 949 to UTF-8, at most `maxChars` characters, escaped, line breaks kept.
std::string Cell(const std::string& cp949, std::size_t maxChars = std::string::npos) {
    bool cut = false;
    std::string text = Escape(CutUtf8(platform::Cp949ToUtf8(cp949).value_or("(읽을 수 없는 글자)"), maxChars, cut));
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "<br>";
        } else if (c != '\r') {
            out += c;
        }
    }
    return cut ? out + "…" : out;
}

std::string Clock(std::time_t when) {
    return FormatLocalTime(when, "%Y-%m-%d %H:%M:%S");
}

std::string Head(const std::string& title, bool refresh) {
    return std::string("<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\">") +
           (refresh ? "<meta http-equiv=\"refresh\" content=\"3\">" : "") + "\n<title>" + title + R"(</title>
<style>
body{font-family:"NanumGothic",sans-serif;margin:1.5em;background:#eff7f7;color:#123}
h1{color:#1f5b8e;font-size:1.4em} table{border-collapse:collapse;width:100%;background:#fff}
th,td{border:1px solid #9bb;padding:.35em .5em;vertical-align:top;text-align:left;word-break:keep-all;overflow-wrap:break-word}
th{background:#1f5b8e;color:#fff} tr.new td{background:#fff3d6} .state{font-weight:bold;white-space:nowrap}
.whole{white-space:nowrap}
.unverified{color:#b00;font-weight:bold} .notice{padding:.5em;background:#fff} .failed{color:#b00}
dl{background:#fff;padding:1em} dt{font-weight:bold;color:#1f5b8e} dd{margin:0 0 .6em 0}
</style></head><body>
)";
}

// A short value read at a glance (a number, a time, a name): a dispatcher reading "010-1234-" on one line and
// "5678" on the next may dial the wrong number, so it never wraps. Only free text wraps.
std::string Whole(const std::string& html) {
    return "<span class=\"whole\">" + html + "</span>";
}

std::string Phones(const CentreReport& r, std::size_t maxChars) {
    std::string phones = Whole(Cell(r.phone, maxChars));
    if (!r.tel2.empty()) {
        phones += "<br>" + Whole(Cell(r.tel1 + "-" + r.tel2 + "-" + r.tel3, maxChars));
    }
    return phones;
}

std::string Caller(const CentreReport& r, std::size_t maxChars) {
    return Whole(Cell(r.name, maxChars)) +
           (r.verified ? "" : " <span class=\"unverified\">" + std::string(kUnverified) + "</span>");
}

std::string State(const CentreReport& r, const ProgressOf& progressOf) {
    const std::string state = progressOf(static_cast<std::time_t>(r.receivedAt));
    return state == "null" ? "배정 대기" : Cell(state);
}

} // namespace

std::string RenderDispatcherView(const std::vector<CentreReport>& reports, std::int64_t total, std::time_t now,
                                 const ProgressOf& progressOf, bool operatorLink) {
    std::string page = Head("신고 접수 현황", true) + "<h1>신고 접수 현황</h1>\n";
    page += "<p>받은 신고 " + std::to_string(total) + "건 · 화면 시각 " + Clock(now) +
            " · 3초마다 새로 고칩니다. 최근 신고 " + std::to_string(reports.size()) +
            "건이 최근 것부터 보이고, 번호를 누르면 신고 전체를 봅니다.</p>\n";
    if (operatorLink) {
        page += "<p><a href=\"/residents\">주민 명부에 주민 추가</a></p>\n";
    }
    if (reports.empty()) {
        page += "<p>아직 받은 신고가 없습니다.</p>\n</body></html>\n";
        return page;
    }
    page += "<table><tr><th>번호</th><th>접수 시각</th><th>구분</th><th>신고자</th><th>연락처</th><th>장소</th>"
            "<th>내용</th><th>진행상태</th></tr>\n";
    for (const CentreReport& r : reports) {
        const std::string no = std::to_string(r.no);
        page += std::string(now - r.receivedAt < 60 ? "<tr class=\"new\">" : "<tr>") + "<td><a href=\"/reports/" + no +
                "\">" + no + "</a></td><td>" + Whole(Clock(static_cast<std::time_t>(r.receivedAt))) + "</td><td>" +
                Whole(Cell(r.title, kListChars)) + "</td><td>" + Caller(r, kListChars) + "<br>" +
                Cell(r.addr1 + " " + r.addr2, kListChars) + "</td><td>" + Phones(r, kListChars) + "</td><td>" +
                Cell(r.place, kListChars) + "</td><td>" + Cell(r.contents, kListContentsChars) +
                "</td><td class=\"state\">" + State(r, progressOf) + "</td></tr>\n";
    }
    page += "</table>\n</body></html>\n";
    return page;
}

std::string RenderReportPage(const CentreReport& r, std::time_t now, const ProgressOf& progressOf) {
    const std::string no = std::to_string(r.no);
    std::string page = Head("신고 " + no, false) + "<h1>신고 " + no +
                       "</h1>\n<p><a href=\"/\">신고 접수 현황으로</a> · " + "화면 시각 " + Clock(now) + "</p>\n<dl>\n";
    const std::pair<const char*, std::string> rows[] = {
        {"접수 시각", Clock(static_cast<std::time_t>(r.receivedAt))},
        {"진행상태", State(r, progressOf)},
        {"구분", Cell(r.title)},
        {"신고자", Caller(r, std::string::npos)},
        {"주소", Cell(r.zipCode) + " " + Cell(r.addr1) + " " + Cell(r.addr2)},
        {"연락처", Phones(r, std::string::npos)},
        {"전자우편", Cell(r.email)},
        {"IP", Cell(r.ip)},
        {"장소", Cell(r.place)},
        {"내용", Cell(r.contents)},
    };
    for (const auto& [label, value] : rows) {
        page += "<dt>" + std::string(label) + "</dt><dd>" + value + "</dd>\n";
    }
    page += "</dl>\n</body></html>\n";
    return page;
}

std::string RenderResidentForm(const std::string& notice, bool failed, const std::string& token) {
    std::string page =
        Head("주민 명부", false) + "<h1>주민 명부에 주민 추가</h1>\n<p><a href=\"/\">신고 접수 현황으로</a></p>\n";
    if (!notice.empty()) {
        page += std::string("<p class=\"notice") + (failed ? " failed" : "") + "\">" + Escape(notice) + "</p>\n";
    }
    page += R"(<form method="post" action="/residents">
<input type="hidden" name="token" value=")" +
            Escape(token) + R"(">
<p><label>이름 <input name="name" required maxlength="20"></label>
<label>주민등록번호 <input name="number" required maxlength="14" placeholder="800101-1234567"></label>
<button type="submit">추가</button></p>
</form>
<p>명부에 있는 이름과 번호로만 실명 확인(004)이 통과하고, 그렇지 않은 신고는 "본인 확인 안 됨"으로 표시됩니다.
이미 있는 번호를 다시 적으면 이름을 바꿉니다. 이 양식은 이 컴퓨터에서만 열립니다.</p>
</body></html>
)";
    return page;
}

std::string RenderProblemPage(const std::string& message) {
    return Head("신고 접수 현황", false) + "<p class=\"failed\">" + Escape(message) +
           "</p>\n<p><a href=\"/\">신고 접수 현황으로</a></p>\n</body></html>\n";
}
