#include "standins/centre/DispatcherView.h"

#include "platform/Codec.h"
#include "standins/centre/LocalTime.h"

namespace {

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

// A received text for the page: code page 949 to UTF-8, escaped, line breaks kept.
std::string Cell(const std::string& cp949) {
    std::string text = Escape(platform::Cp949ToUtf8(cp949).value_or("(읽을 수 없는 글자)"));
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "<br>";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

std::string Clock(std::time_t when) {
    return FormatLocalTime(when, "%Y-%m-%d %H:%M:%S");
}

} // namespace

std::string RenderDispatcherView(const std::vector<CentreReport>& reports, std::int64_t total, std::time_t now,
                                 const std::function<std::string(std::time_t)>& progressOf) {
    std::string page = R"(<!DOCTYPE html>
<html lang="ko"><head><meta charset="utf-8"><meta http-equiv="refresh" content="3">
<title>신고 접수 현황</title>
<style>
body{font-family:"NanumGothic",sans-serif;margin:1.5em;background:#eff7f7;color:#123}
h1{color:#1f5b8e;font-size:1.4em} table{border-collapse:collapse;width:100%;background:#fff}
th,td{border:1px solid #9bb;padding:.35em .5em;vertical-align:top;text-align:left}
th{background:#1f5b8e;color:#fff} tr.new td{background:#fff3d6} .state{font-weight:bold;white-space:nowrap}
</style></head><body>
<h1>신고 접수 현황</h1>
)";
    page += "<p>받은 신고 " + std::to_string(total) + "건 · 화면 시각 " + Clock(now) +
            " · 3초마다 새로 고칩니다. 최근 신고가 맨 위에 있습니다.</p>\n";
    if (reports.empty()) {
        page += "<p>아직 받은 신고가 없습니다.</p>\n</body></html>\n";
        return page;
    }
    page += "<table><tr><th>번호</th><th>접수 시각</th><th>구분</th><th>신고자</th><th>연락처</th><th>장소</th>"
            "<th>내용</th><th>진행상태</th></tr>\n";
    for (const CentreReport& r : reports) {
        std::string state = progressOf(static_cast<std::time_t>(r.receivedAt));
        std::string shownState = state == "null" ? "배정 대기" : Cell(state);
        std::string phones = Cell(r.phone);
        if (!r.tel2.empty()) {
            phones += "<br>" + Cell(r.tel1 + "-" + r.tel2 + "-" + r.tel3);
        }
        page += std::string(now - r.receivedAt < 60 ? "<tr class=\"new\">" : "<tr>") + "<td>" + std::to_string(r.no) +
                "</td><td>" + Clock(static_cast<std::time_t>(r.receivedAt)) + "</td><td>" + Cell(r.title) +
                "</td><td>" + Cell(r.name) + "<br>" + Cell(r.addr1 + " " + r.addr2) + "</td><td>" + phones +
                "</td><td>" + Cell(r.place) + "</td><td>" + Cell(r.contents) + "</td><td class=\"state\">" +
                shownState + "</td></tr>\n";
    }
    page += "</table>\n</body></html>\n";
    return page;
}

std::string RenderProblemPage(const std::string& message) {
    return "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\"><title>신고 접수 "
           "현황</title></head><body>\n"
           "<p>" +
           Escape(message) + "</p>\n<p><a href=\"/\">신고 접수 현황으로</a></p>\n</body></html>\n";
}
