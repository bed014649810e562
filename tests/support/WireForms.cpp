#include "support/WireForms.h"

#include <utility>

#include "delivery/carriers/Carriers.h"
#include "res/StringTable.h"

CSendJob FullJob(std::string text) {
    CSendJob job;
    job.number = "5551234567";
    job.senderName = "Ann Lee";
    job.replyNumber = "5559876543";
    job.replyEmail = "ann_lee@example.org";
    job.text = std::move(text);
    return job;
}

namespace {

const SingleForm kForms[] = {
    {"alltel", IDS_ALLTEL_HOST, SendAllTel, "/customer_site/jsp/messaging.jsp",
     "trackResponses=No&devicetype=1&min=5551234567&callback=5559876543&text=Hi+there.&count=151"
     "&type=0&Send.x=1&Send.y=1",
     IDS_ALLTEL_ERROR, ResultWrongCarrier},
    {"att", IDS_ATT_HOST, SendAttWireless, "/messagecenter/sendMessage.do",
     "recipient=5551234567&sender=5559876543&subject=&message=Hi+there.&sizebox=19&spamFlag=",
     IDS_ATT_ERROR, ResultUndeliverable},
    {"cingular", IDS_CINGULAR_HOST, SendCingular, "/do/public/send",
     "from=Ann+Lee&min=5551234567&subject=&msg=Hi+there.&charCount=115&priority=Normal"
     "&deliveryTime=0&callback=5559876543&replyto=ann%5Flee%40example.org",
     IDS_CINGULAR_ERROR, ResultWrongCarrier},
    {"nextel", IDS_NEXTEL_HOST, SendNextel, "/cgi/iPageExt.dll",
     "cmd=sendPage&oneWayPTNs=&twoWayPTNs=5551234567+&from=Ann+Lee&subject=&message=Hi+there."
     "&count=18&replycnt=7&replycnt=7&rep1=&rep2=&rep3=&rep4=&rep5=&rep6=&rep7="
     "&replynumber=5559876543&replyemail=ann%5Flee%40example.org&schedule=&x=1&y=1",
     IDS_NEXTEL_ERROR, ResultWrongCarrier},
    {"tmobile", IDS_TMOBILE_HOST, SendTMobile, "/smsportal/index.html?act=smsc&locale=en",
     "receiver=5551234567&sender=Ann+Lee&text=Hi+there.&count=121&msgTermsUse=on&Send.x=1"
     "&Send.y=1",
     IDS_TMOBILE_ERROR, ResultWrongCarrier},
    {"sprint", IDS_SPRINT_HOST, SendSprint, "/textmessaging/composeconfirm",
     "phoneNumber=5551234567&message=Hi+there.&characters=151&callBackNumber=5559876543&x=1&y=1",
     IDS_SPRINT_ERROR, ResultWrongCarrier},
};

}  // namespace

const std::span<const SingleForm> kSingleForms = kForms;
