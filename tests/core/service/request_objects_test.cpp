#include "core/service/download_resources.hpp"
#include "core/support/log.hpp"

#include "support/fake_http_transport.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <type_traits>

namespace orvendel {
namespace {

using Json = nlohmann::json;

// One line per completion: "finish <success>" or "fail <domain> <code>".
struct Recorder {
    std::vector<std::string> reports;
    std::optional<wire::DelaysDownloaderResult> delays;
    std::shared_ptr<SaveDelaysRequestParameters> saveParameters;

    template <typename Request>
    void heard(const Request& request, const Result<typename Request::Reply>& outcome)
    {
        if constexpr (std::is_same_v<Request, SaveDelays>) {
            saveParameters = request.parameters();
        }
        if (!outcome) {
            const Error& error = outcome.error();
            reports.push_back("fail " + error.domain + " " + std::to_string(error.code));
            return;
        }
        if constexpr (std::is_same_v<Request, DelaysDownloader>) {
            delays = *outcome;
        }
        reports.push_back(outcome->resultInformation.success ? "finish true" : "finish false");
    }
};

const std::string okEmptyReply = R"({"resultInformation":{"success":true}})";

std::string failLine(int code)
{
    return "fail ORVError " + std::to_string(code);
}

class RequestObjectsTest : public ::testing::Test {
protected:
    void SetUp() override { transport->keepDelegatesWhileRunning = true; }
    void TearDown() override { transport->abandonRunningTasks(); }

    RequestConfigurationPtr configuration(std::optional<int> furnaceId = 7)
    {
        auto c = std::make_shared<RequestConfiguration>();
        c->username = "ABCD";
        c->sessionId = "session-1";
        c->locale = "en-US";
        c->furnaceId = furnaceId;
        c->url = "http://service.test/DelaysApi/Delays/Resource";
        c->urlSessionConfiguration = HttpSessionConfiguration::ephemeral(std::chrono::seconds(12));
        return c;
    }

    // A request whose completion reports to `recorder` for as long as it lives.
    template <typename D, typename P>
    std::shared_ptr<D> make(std::shared_ptr<P> parameters, RequestConfigurationPtr c)
    {
        auto heard = [weak = std::weak_ptr<Recorder>(recorder)](const std::shared_ptr<D>& request,
                                                                Result<typename D::Reply> outcome) {
            if (auto recorder = weak.lock()) {
                recorder->heard(*request, outcome);
            }
        };
        return std::make_shared<D>(std::move(parameters), std::move(c), transport, heard);
    }
    std::shared_ptr<DelaysDownloader> delaysDownloader(std::optional<int> furnaceId = 7)
    {
        return make<DelaysDownloader>(
            std::make_shared<DelaysDownloaderRequestParameters>("2019-03-07T14:05:00-06:00", true),
            configuration(furnaceId));
    }
    std::shared_ptr<test::FakeHttpTransport::Session> session() { return transport->lastSession(); }
    Json sentBody() { return Json::parse(session()->requests.back().body); }

    std::shared_ptr<test::FakeHttpTransport> transport = std::make_shared<test::FakeHttpTransport>();
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(RequestObjectsTest, FurnaceBoundRequestsSendNothingWithoutAFurnace)
{
    delaysDownloader(std::nullopt)->start();
    make<ReasonsDownloader>(std::make_shared<ReasonsDownloaderRequestParameters>(), configuration(std::nullopt))
        ->start();
    make<SaveDelays>(std::make_shared<SaveDelaysRequestParameters>(1, std::vector<DelayPtr>{}),
                     configuration(std::nullopt))
        ->start();
    EXPECT_EQ(transport->requestCount(), 0u);
    EXPECT_TRUE(recorder->reports.empty());

    make<FurnacesDownloader>(std::make_shared<FurnacesDownloaderRequestParameters>(), configuration(std::nullopt))
        ->start();
    ASSERT_EQ(transport->requestCount(), 1u);
    EXPECT_EQ(sentBody(),
              Json::parse(R"({"commonData":{"username":"ABCD","sessionId":"session-1","locale":"en-US"}})"));
}

TEST_F(RequestObjectsTest, SendsOneJsonPostWithItsLengthAndTimeOuts)
{
    auto downloader = delaysDownloader();
    downloader->start();
    downloader->start(); // in flight: nothing more is sent
    ASSERT_EQ(transport->sessions().size(), 1u);
    ASSERT_EQ(session()->requests.size(), 1u);
    const HttpRequest& request = session()->requests.front();
    EXPECT_EQ(request.url, "http://service.test/DelaysApi/Delays/Resource");
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.value("Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(request.value("Content-Length"), std::to_string(request.body.size()));
    EXPECT_EQ(request.timeout, std::chrono::seconds(60));
    EXPECT_EQ(session()->configuration.resourceTimeout, std::chrono::seconds(12));
    EXPECT_EQ(sentBody(), Json::parse(R"({"commonData":{"username":"ABCD","sessionId":"session-1","locale":"en-US",
        "furnaceId":7},"data":{"requestDate":"2019-03-07T14:05:00-06:00","ignoreRequestDate":true}})"));
    EXPECT_TRUE(downloader->isDownloading());

    session()->reply(200, R"({"resultInformation":{"success":true},"data":[{"heatId":1,"heatNumber":2,
        "startDate":"2019-03-07T14:05:00-06:00","endDate":"2019-03-07T15:05:00-06:00"}]})");
    EXPECT_FALSE(downloader->isDownloading());
    EXPECT_EQ(recorder->reports, std::vector<std::string>{"finish true"});
    ASSERT_TRUE(recorder->delays && recorder->delays->data);
    EXPECT_EQ(recorder->delays->data->front().heatNumber, 2);
}

TEST_F(RequestObjectsTest, UnreadableRepliesFailWith1023AndAServiceRefusalStillFinishes)
{
    ScopedLogCapture capture;
    auto html = delaysDownloader();
    html->start();
    session()->reply(500, "<html><body>Internal Server Error</body></html>");
    auto empty = make<ReasonsDownloader>(std::make_shared<ReasonsDownloaderRequestParameters>(), configuration());
    empty->start();
    session()->reply(200, "");
    auto refused = make<FurnacesDownloader>(std::make_shared<FurnacesDownloaderRequestParameters>(), configuration());
    refused->start();
    session()->reply(200, R"({"resultInformation":{"success":false,"errorCode":3,"errorDescription":"Expired"}})");

    EXPECT_EQ(recorder->reports, (std::vector<std::string>{failLine(1023), failLine(1023), "finish false"}));
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u); // the delays and reasons requests write the decode error; furnaces nothing
    // The parser's own code travels with its text: 101 is a syntax error.
    EXPECT_TRUE(lines[0].starts_with("Error - ") && lines[0].ends_with(" - 101")) << lines[0];
    EXPECT_FALSE(lines[1].starts_with("Error - ")) << lines[1];
}

TEST_F(RequestObjectsTest, TransportErrorsPassUnchangedAndAMissingBufferIs1011)
{
    auto downloader = delaysDownloader();
    downloader->start();
    session()->fail(transport_error::make(transport_error::timedOut));
    EXPECT_EQ(recorder->reports, std::vector<std::string>{"fail TransportError 2"});

    // A completion for a request that never started has no buffer at all.
    delaysDownloader()->didComplete({});
    EXPECT_EQ(recorder->reports.back(), failLine(1011));
}

TEST_F(RequestObjectsTest, CancellingReportsTheTransportErrorThenTheCancellation)
{
    auto running = delaysDownloader();
    running->start();
    running->cancel();
    EXPECT_EQ(recorder->reports, (std::vector<std::string>{"fail TransportError 1", "fail ORVError 1013"}));
    EXPECT_FALSE(running->isDownloading());

    recorder->reports.clear();
    auto idle = delaysDownloader();
    idle->cancel(); // never started: the session is made just to be invalidated
    idle->start();  // and a cancelled request sends nothing afterwards
    EXPECT_EQ(recorder->reports, std::vector<std::string>{"fail ORVError 1013"});
    EXPECT_EQ(transport->requestCount(), 1u);
}

TEST_F(RequestObjectsTest, SaveSendsEditedDelaysInTheirOwnZone)
{
    auto zone = *TimeZone::fromOffsetSeconds(-5 * 3600);
    auto start = ZonedDateTime::fromText("2019-03-04T05:06:07-05:00");
    auto end = ZonedDateTime::fromText("2019-03-04T10:00:00Z");
    ASSERT_TRUE(start && end);
    auto stored = std::make_shared<Delay>(11, 501, 3, "Scrap", "SCR", *start, *end, "rgb(1, 2, 3)", "ts-1", "note");
    auto piece = std::make_shared<Delay>(11, std::nullopt, 4, "Power", "PWR", ZonedDateTime(start->date, zone), *end,
                                         "rgb(1, 2, 3)", "ts-2", std::nullopt);
    piece->isSplitted = true;
    auto save = make<SaveDelays>(std::make_shared<SaveDelaysRequestParameters>(11, std::vector{stored, piece}),
                                 configuration());
    save->start();

    Json body = sentBody();
    EXPECT_EQ(body["commonData"]["furnaceId"], 7);
    EXPECT_EQ(body["data"]["heatId"], 11);
    ASSERT_EQ(body["data"]["delays"].size(), 2u);
    const Json& first = body["data"]["delays"][0];
    EXPECT_EQ(first["delayId"], 501);
    EXPECT_EQ(first["startDate"], "2019-03-04T05:06:07-05:00");
    EXPECT_EQ(first["endDate"], "2019-03-04T10:00:00Z");
    EXPECT_EQ(first["comment"], "note");
    EXPECT_EQ(first["timestamp"], "ts-1");
    const Json& second = body["data"]["delays"][1];
    EXPECT_TRUE(second["delayId"].is_null());
    EXPECT_FALSE(second.contains("comment"));
    for (const auto& sent : body["data"]["delays"]) {
        EXPECT_FALSE(sent.contains("isEdited"));
        EXPECT_FALSE(sent.contains("isSplitted"));
    }

    session()->reply(200, okEmptyReply);
    EXPECT_EQ(recorder->reports, std::vector<std::string>{"finish true"});
    ASSERT_TRUE(recorder->saveParameters);
    EXPECT_EQ(recorder->saveParameters->delays.size(), 2u);
}

TEST_F(RequestObjectsTest, ABodyThatCannotBeEncodedIs1022AndNothingIsSent)
{
    auto c = configuration();
    c->username = "AB\xff\xfe";
    make<FurnacesDownloader>(std::make_shared<FurnacesDownloaderRequestParameters>(), c)->start();
    EXPECT_EQ(recorder->reports, std::vector<std::string>{failLine(1022)});
    EXPECT_EQ(transport->requestCount(), 0u);
}

TEST_F(RequestObjectsTest, ARetryIsANewRequestWithTheSameParametersAndCompletion)
{
    auto parameters = std::make_shared<SaveDelaysRequestParameters>(11, std::vector<DelayPtr>{}, "save-11");
    auto first = make<SaveDelays>(parameters, configuration());
    first->start();
    session()->reply(200, R"({"resultInformation":{"success":false,"errorCode":3}})");

    auto renewed = configuration();
    renewed->sessionId = "session-2";
    auto retry = first->makeRetry(renewed);
    EXPECT_NE(retry, first);
    EXPECT_FALSE(retry->isDownloading());
    EXPECT_EQ(retry->requestParameters(), first->requestParameters());
    EXPECT_EQ(retry->heatId(), std::optional<int>(11));
    EXPECT_EQ(&retry->resource(), &first->resource());
    EXPECT_EQ(transport->requestCount(), 1u); // made, not sent

    retry->start();
    ASSERT_EQ(transport->sessions().size(), 2u);
    EXPECT_EQ(sentBody()["commonData"]["sessionId"], "session-2");
    EXPECT_EQ(sentBody()["data"]["heatId"], 11);
    session()->reply(200, okEmptyReply);
    EXPECT_EQ(recorder->reports, (std::vector<std::string>{"finish false", "finish true"}));
}

TEST_F(RequestObjectsTest, UpdatedDelaysWritesItsOutcomeThroughTheManagersLog)
{
    ScopedLogCapture capture;
    auto parameters = std::make_shared<UpdatedDelaysDownloaderRequestParameters>(
        7, 11, std::vector<std::map<std::string, int>>{{{"delayId", 501}}});
    auto ok = make<UpdatedDelaysDownloader>(parameters, configuration());
    ok->start();
    session()->reply(200, R"({"resultInformation":{"success":true},"data":[{"delayId":501,"timeStamp":1.5}]})");
    auto bad = make<UpdatedDelaysDownloader>(parameters, configuration());
    bad->start();
    session()->reply(200, "not json");

    EXPECT_EQ(recorder->reports, (std::vector<std::string>{"finish true", failLine(1023)}));
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Download Manager - Finished Downloading Updated Delays");
    EXPECT_TRUE(lines[1].starts_with("DecodeError(code: 101, description: \"")) << lines[1];
    EXPECT_EQ(lines[2], "Download Manager - Failed Downloading Updated Delays");
}

} // namespace
} // namespace orvendel
