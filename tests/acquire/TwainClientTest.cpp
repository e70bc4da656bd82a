// The TWAIN client against a source manager of our own, loaded through dlopen like the
// real one: the operations it issues, the pictures it assembles and the messages it shows.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FakeDsm.h"
#include "MonoImage.h"
#include "StringIds.h"
#include "Strings.h"
#include "TwainClient.h"

using namespace twain;

namespace {

class Messages : public IMessageSink {
public:
    std::vector<std::string> texts;
    int Show(const std::string& text, uint32_t) override {
        texts.push_back(text);
        return 1;
    }
};

// A page of a few strokes.
std::vector<uint8_t> Page(int w, int h) {
    std::vector<uint8_t> ink(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ink[size_t(y) * w + x] = (x * 3 + y * 5) % 7 == 0 || x == y;
    return ink;
}

struct TwainClientTest : ::testing::Test {
    void* fake = nullptr;
    void (*setup)(const FakeDsmScript*) = nullptr;
    const std::vector<FakeCall>* (*calls)() = nullptr;
    Messages messages;
    TwainClient client;
    std::vector<std::unique_ptr<MonoBitmap>> delivered;
    int parent = 0;

    void SetUp() override {
        SetCurrentLanguage(Language::English);
        setenv("PENMARK_TWAIN_DSM", PENMARK_FAKE_DSM, 1);
        fake = dlopen(PENMARK_FAKE_DSM, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(fake, nullptr) << dlerror();
        setup = reinterpret_cast<void (*)(const FakeDsmScript*)>(dlsym(fake, "FakeDsmSetup"));
        calls = reinterpret_cast<const std::vector<FakeCall>* (*)()>(dlsym(fake, "FakeDsmCalls"));
        ASSERT_TRUE(setup && calls);
        client.SetParentWindow(&parent);
        client.SetMessages(&messages);
        // The page: keeps the picture and closes the connection, as the wizard does.
        client.SetDelivery([this](MonoBitmap* bitmap) {
            delivered.emplace_back(bitmap);
            client.CloseAll();
            return -1;
        });
    }
    void TearDown() override {
        client.CloseAll();
        if (fake) dlclose(fake);
        unsetenv("PENMARK_TWAIN_DSM");
    }
    FakeDsmScript Script(int w, int h, std::vector<FakeStrip> strips) {
        FakeDsmScript s;
        s.width = w;
        s.height = h;
        s.ink = Page(w, h);
        s.strips = std::move(strips);
        s.eventMessage = MSG_XFERREADY;
        return s;
    }
    // Starts, then the source says a transfer is ready.
    void Scan(const FakeDsmScript& script) {
        setup(&script);
        ASSERT_TRUE(client.StartAcquire());
        int event = 0;
        EXPECT_TRUE(client.ProcessEvent(&event));
    }
    std::vector<uint16_t> Issued(uint16_t dat) const {
        std::vector<uint16_t> out;
        for (const FakeCall& c : *calls()) if (c.dat == dat) out.push_back(c.msg);
        return out;
    }
    void ExpectPage(const MonoBitmap& bitmap, const FakeDsmScript& s) {
        ASSERT_EQ(bitmap.width, s.width);
        ASSERT_EQ(bitmap.height, s.height);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                ASSERT_EQ(bitmap.GetPixel(x, y), s.ink[size_t(y) * s.width + x] ? 0 : 1) << x << "," << y;
    }
};

TEST_F(TwainClientTest, StartIssuesTheOperationsInOrderWithTheSettings) {
    FakeDsmScript s = Script(8, 8, {});
    s.eventMessage = 0;
    setup(&s);
    ASSERT_TRUE(client.StartAcquire());
    EXPECT_TRUE(client.SourceEnabled());
    std::vector<std::pair<uint16_t, uint16_t>> order;
    std::vector<FakeCall> caps;
    for (const FakeCall& c : *calls()) {
        order.emplace_back(c.dat, c.msg);
        if (c.dat == DAT_CAPABILITY) caps.push_back(c);
    }
    std::vector<std::pair<uint16_t, uint16_t>> expected = {
        {DAT_PARENT, MSG_OPENDSM}, {DAT_IDENTITY, MSG_OPENDS}, {DAT_CAPABILITY, MSG_SET}, {DAT_CAPABILITY, MSG_SET},
        {DAT_CAPABILITY, MSG_SET}, {DAT_CAPABILITY, MSG_SET}, {DAT_USERINTERFACE, MSG_ENABLEDS}};
    EXPECT_EQ(order, expected);
    ASSERT_EQ(caps.size(), 4u);
    EXPECT_EQ(caps[0].cap, ICAP_COMPRESSION);
    EXPECT_EQ(caps[0].conType, TWON_ONEVALUE);
    EXPECT_EQ(caps[0].value, TWCP_NONE);
    EXPECT_EQ(caps[1].cap, ICAP_XFERMECH);
    EXPECT_EQ(caps[1].value, TWSX_MEMORY);
    EXPECT_EQ(caps[2].cap, ICAP_PIXELTYPE);
    EXPECT_EQ(caps[2].conType, TWON_ENUMERATION);
    EXPECT_EQ(caps[2].value, TWPT_BW);
    EXPECT_EQ(caps[3].cap, ICAP_BITDEPTH);
    EXPECT_EQ(caps[3].value, 1);
    EXPECT_STREQ(client.AppIdentity().Manufacturer, "Torvane Design Group");
    EXPECT_STREQ(client.AppIdentity().ProductName, "Penmark");
    EXPECT_EQ(client.AppIdentity().ProtocolMinor, 5);
    client.CloseAll();
    EXPECT_EQ(Issued(DAT_USERINTERFACE).back(), MSG_DISABLEDS);
    EXPECT_EQ(Issued(DAT_PARENT).back(), MSG_CLOSEDSM);
    EXPECT_FALSE(client.ManagerOpen());
}

TEST_F(TwainClientTest, WithoutTheSourceManagerTheUserIsTold) {
    setenv("PENMARK_TWAIN_DSM", "/nonexistent/libtwaindsm.so.2", 1);
    EXPECT_FALSE(client.StartAcquire());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], GetString(StringId::kScanNoManager));
    EXPECT_FALSE(client.ChooseScanner());
    EXPECT_EQ(messages.texts.size(), 2u);
}

TEST_F(TwainClientTest, PaddedStripsAtOffsetsAssembleThePageInBothFlavours) {
    // 40 x 12 in four strips: two halves of the width, padded rows, offsets not on bytes.
    std::vector<FakeStrip> strips = {{0, 0, 21, 6, 8}, {21, 0, 19, 6, 4}, {0, 6, 21, 6, 6}, {21, 6, 19, 6, 3}};
    for (uint16_t flavour : {uint16_t(0), uint16_t(1)}) {
        delivered.clear();
        FakeDsmScript s = Script(40, 12, strips);
        s.flavour = flavour;
        Scan(s);
        ASSERT_EQ(delivered.size(), 1u) << "flavour " << flavour;
        ExpectPage(*delivered[0], s);
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_FALSE(client.ManagerOpen());  // the page closed everything
    }
}

TEST_F(TwainClientTest, GreyAndCompressedSourcesAreRefusedWithTheirMessages) {
    FakeDsmScript grey = Script(8, 8, {{0, 0, 8, 8, 1}});
    grey.bitsPerPixel = 8;
    Scan(grey);
    EXPECT_TRUE(delivered.empty());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], GetString(StringId::kScanNotOneBit));
    EXPECT_EQ(Issued(DAT_PENDINGXFERS).front(), MSG_ENDXFER);  // the transfer still ends
    client.CloseAll();

    FakeDsmScript packed = Script(8, 8, {{0, 0, 8, 8, 1}});
    packed.compression = 5;
    Scan(packed);
    EXPECT_TRUE(delivered.empty());
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], GetString(StringId::kScanCompressed));
}

TEST_F(TwainClientTest, CancelInsideTheTransferEndsSilently) {
    FakeDsmScript s = Script(16, 8, {{0, 0, 16, 4, 2}, {0, 4, 16, 4, 2}});
    s.cancelAfterStrips = 1;
    Scan(s);
    EXPECT_TRUE(delivered.empty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TwainClientTest, ClosingTheSourceDialogClosesTheConnection) {
    FakeDsmScript s = Script(8, 8, {});
    s.eventMessage = MSG_CLOSEDSREQ;
    Scan(s);
    EXPECT_FALSE(client.ManagerOpen());
    EXPECT_TRUE(delivered.empty());
    EXPECT_TRUE(messages.texts.empty());
    int event = 0;
    EXPECT_FALSE(client.ProcessEvent(&event));  // nothing is enabled any more
}

TEST_F(TwainClientTest, FurtherPendingPicturesAreResetNotFetched) {
    FakeDsmScript s = Script(8, 4, {{0, 0, 8, 4, 1}});
    s.pictures = 3;
    Scan(s);
    ASSERT_EQ(delivered.size(), 1u);
    std::vector<uint16_t> pending = Issued(DAT_PENDINGXFERS);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0], MSG_ENDXFER);
    EXPECT_EQ(pending[1], MSG_RESET);
    EXPECT_EQ(Issued(DAT_IMAGEINFO).size(), 1u);
}

TEST_F(TwainClientTest, AnImpossibleSizeIsTheLowMemoryMessage) {
    FakeDsmScript s = Script(1, 1, {});
    s.width = s.height = 0x7FFFFFFF;
    s.ink.clear();
    Scan(s);
    EXPECT_TRUE(delivered.empty());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], GetString(StringId::kScanLowMemory));
}

TEST_F(TwainClientTest, ConditionCodesChooseTheirMessages) {
    struct Case {
        uint16_t condition;
        bool failStatus;
        std::string text;
    } cases[] = {
        {TWCC_NODS, false, "No Source available."},
        {TWCC_MAXCONNECTIONS, false, "No free connections to Source available."},
        {9, false, "Internal error. Communication with TWAIN failed (C-0009)."},
        {0x20, false, "Internal error. Communication with TWAIN failed due to an unknown reason (C-0020)."},
        {TWCC_OPERATIONERROR, false, ""},
        {TWCC_NODS, true, "Internal error. Communication with TWAIN failed due to an unknown reason (C-0001)."},
    };
    for (const Case& c : cases) {
        messages.texts.clear();
        FakeDsmScript s = Script(8, 8, {});
        s.failOpenSource = c.condition;
        s.failStatus = c.failStatus;
        setup(&s);
        EXPECT_FALSE(client.StartAcquire());
        EXPECT_FALSE(client.ManagerOpen());
        if (c.text.empty())
            EXPECT_TRUE(messages.texts.empty());
        else
            EXPECT_EQ(messages.texts, std::vector<std::string>{c.text});
    }
}

TEST_F(TwainClientTest, ChoosingASourceIsTrueOnlyWhenThePickWasMade) {
    FakeDsmScript s = Script(8, 8, {});
    s.userSelect = TWRC_SUCCESS;
    setup(&s);
    EXPECT_TRUE(client.ChooseScanner());
    EXPECT_FALSE(client.ManagerOpen());
    s.userSelect = TWRC_CANCEL;
    setup(&s);
    EXPECT_FALSE(client.ChooseScanner());
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
