// The dispatcher's pages, as a browser gets them.
#include "standins/centre/DispatcherView.h"
#include "platform/Codec.h"

#include <gtest/gtest.h>

namespace {

// True when `value` stands whole inside an element that the page's style keeps on one line.
bool KeptOnOneLine(const std::string& page, const std::string& value) {
    const std::string rule = ".whole{white-space:nowrap}";
    return page.find(rule) != std::string::npos &&
           page.find("<span class=\"whole\">" + value + "</span>") != std::string::npos;
}

TEST(DispatcherViewTest, PhoneNumbersAndShortValuesNeverWrapFreeTextDoes) {
    CentreReport report;
    report.no = 7;
    report.receivedAt = 1'700'000'000;
    report.name = platform::Cp949Of("홍길동");
    report.phone = "010-1234-5678";
    report.tel1 = "02";
    report.tel2 = "123";
    report.tel3 = "4567";
    report.title = platform::Cp949Of("구급신고");
    report.place = platform::Cp949Of("서울특별시 종로구 사직동 12번지 앞 골목");
    report.contents = platform::Cp949Of("어머니가 쓰러지셔서 의식이 없습니다.");
    const ProgressOf progress = [](std::time_t) { return std::string("null"); };

    const std::string list = RenderDispatcherView({report}, 1, report.receivedAt + 5, progress, false);
    const std::string page = RenderReportPage(report, report.receivedAt + 5, progress);
    for (const std::string& html : {list, page}) {
        EXPECT_TRUE(KeptOnOneLine(html, "010-1234-5678")) << html;
        EXPECT_TRUE(KeptOnOneLine(html, "02-123-4567")) << html;
        EXPECT_TRUE(KeptOnOneLine(html, "홍길동")) << html;
        EXPECT_FALSE(KeptOnOneLine(html, "어머니가 쓰러지셔서 의식이 없습니다.")) << html;
    }
    EXPECT_TRUE(KeptOnOneLine(list, "구급신고"));
}

} // namespace
