// The Delivery dialog's rules without a display: the modem it chooses, what the list says, the
// presets' examples and what stops OK.

#include <gtest/gtest.h>

#include "app/DeliveryChoices.h"
#include "delivery/routes/WebRouteCheck.h"

namespace {

ModemInfo Modem(std::string path, ModemState state, std::string device = {}) {
    ModemInfo m;
    m.path = std::move(path);
    m.deviceId = std::move(device);
    m.state = state;
    m.enabled = state >= ModemState::Enabled;
    m.simLocked = state == ModemState::Locked;
    return m;
}

TEST(DeliveryChoices, TheNamedModemWinsThenTheFirstEnabledThenTheFirst) {
    const std::vector<ModemInfo> modems = {Modem("/m/0", ModemState::Disabled, "dev0"),
                                           Modem("/m/1", ModemState::Locked, "dev1"),
                                           Modem("/m/2", ModemState::Registered, "dev2")};
    const struct {
        std::vector<ModemInfo> modems;
        std::string named;
        int chosen;
    } cases[] = {
        {modems, "", 2},
        {modems, "/m/1", 1},
        {modems, "dev0", 0},
        {modems, "/m/gone", 2},
        {{modems[0], modems[1]}, "", 0},
        {{}, "dev0", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultModemChoice(c.modems, c.named), c.chosen)
            << c.named << " of " << c.modems.size();
}

TEST(DeliveryChoices, AModemsRowNamesWhatIsKnownAndALockedSimSaysSo) {
    ModemInfo lab = Modem("/m/0", ModemState::Registered);
    lab.manufacturer = "Quillo Lab";
    lab.model = "LabModem";
    lab.ownNumber = "+15550000000";
    lab.operatorName = "Lab Net";
    lab.signalQuality = 64;
    EXPECT_EQ(ModemRowOf(lab),
              (ModemRow{"Quillo Lab LabModem", "+15550000000", "Lab Net", "64%", "registered"}));
    const ModemInfo locked = Modem("/m/1", ModemState::Locked);
    EXPECT_EQ(ModemRowOf(locked), (ModemRow{"-", "-", "-", "0%", "the SIM is locked"}));
    EXPECT_NE(ModemAdvice(locked).find("never unlocks"), std::string::npos);
    EXPECT_NE(ModemAdvice(Modem("/m/2", ModemState::Disabled)), "");
    EXPECT_EQ(ModemAdvice(lab), "");
}

TEST(DeliveryChoices, TheListSaysWhyItIsEmpty) {
    EXPECT_EQ(ModemListNote({{}, "ModemManager is not running"}), "ModemManager is not running");
    EXPECT_EQ(ModemListNote({}), "No modem found");
    EXPECT_EQ(ModemListNote({{Modem("/m/0", ModemState::Enabled)}, ""}), "");
}

TEST(DeliveryChoices, OnlyAnEmptyOrExampleAddressGivesWayToAnotherPresetsExample) {
    for (WebPreset p : {PresetFormAccount, PresetJsonToken, PresetPhoneGateway})
        EXPECT_TRUE(IsUntouchedExample(PresetExample(p))) << p;
    EXPECT_TRUE(IsUntouchedExample(""));
    EXPECT_FALSE(IsUntouchedExample("https://sms.mine.example/v1"));
    EXPECT_TRUE(IsPlainHttp(PresetExample(PresetPhoneGateway)));
    EXPECT_FALSE(IsPlainHttp(PresetExample(PresetJsonToken)));
}

TEST(DeliveryChoices, TheCountryCodeIsCheckedOffTheFormsAndTheWebOptionsOnTheWebRoute) {
    RouteSettings web;
    web.route = RouteWebService;
    web.webBase = "ftp://nowhere";  // what the web route's own check refuses
    const struct {
        DeliveryRoute route;
        std::string countryCode;
        bool fine;
    } cases[] = {{RouteCarrierForms, "", true}, {RouteModem, "44", true},
                 {RouteModem, "", false},       {RouteModem, "1234", false},
                 {RouteModem, "4a", false},     {RouteCarrierForms, "x", true}};
    for (const auto& c : cases) {
        RouteSettings s = web;
        s.route = c.route;
        s.countryCode = c.countryCode;
        EXPECT_EQ(DeliveryProblem(s).empty(), c.fine) << c.route << " " << c.countryCode;
    }
    EXPECT_EQ(DeliveryProblem(web),
              "The service address does not begin with http:// or https://.");
}

}  // namespace
