#include "korvel/sample/names.h"

#include <array>

namespace korvel_sample {
namespace {

constexpr std::array<PersonName, 32> kCommon = {{
    {"James", "Walker", "jwalker"},   {"Mary", "Johnson", "mjohnson"},
    {"Robert", "Brown", "rbrown"},    {"Linda", "Davis", "ldavis"},
    {"Michael", "Wilson", "mwilson"}, {"Susan", "Moore", "smoore"},
    {"David", "Taylor", "dtaylor"},   {"Karen", "Anderson", "kanderson"},
    {"Thomas", "Jackson", "tjackson"}, {"Nancy", "White", "nwhite"},
    {"Daniel", "Harris", "dharris"},  {"Lisa", "Martin", "lmartin"},
    {"Paul", "Thompson", "pthompson"}, {"Betty", "Garcia", "bgarcia"},
    {"Mark", "Martinez", "mmartinez"}, {"Sandra", "Robinson", "srobinson"},
    {"Steven", "Clark", "sclark"},    {"Donna", "Lewis", "dlewis"},
    {"Kevin", "Lee", "klee"},         {"Carol", "Allen", "callen"},
    {"Brian", "Young", "byoung"},     {"Ruth", "King", "rking"},
    {"George", "Wright", "gwright"},  {"Sharon", "Scott", "sscott"},
    {"Edward", "Green", "egreen"},    {"Laura", "Baker", "lbaker"},
    {"Ronald", "Adams", "radams"},    {"Helen", "Nelson", "hnelson"},
    {"Anthony", "Hill", "ahill"},     {"Amy", "Campbell", "acampbell"},
    {"Gary", "O'Brien", "gobrien"},   {"Emma", "Van der Berg", "evanderberg"},
}};

constexpr std::array<PersonName, 10> kInternational = {{
    {"José", "Muñoz", "jmunoz"},
    {"Zoë", "Ångström", "zangstrom"},
    {"Jürgen", "Müller", "jmuller"},
    {"François", "Lefèvre", "flefevre"},
    {"Søren", "Kierkegård", "skierkegard"},
    {"Łukasz", "Wójcik", "lwojcik"},
    {"太郎", "山田", "tyamada"},
    {"花子", "佐藤", "hsato"},
    {"健一", "鈴木", "ksuzuki"},
    {"Ana", "Conceição", "aconceicao"},
}};

constexpr std::array<std::string_view, 16> kSubjects = {
    "Call me back",
    "Meeting moved to Thursday",
    "Quarterly numbers",
    "Re: your order",
    "Urgent: server room access",
    "Lunch?",
    "Delivery at the loading dock",
    "Question about the invoice",
    "Welcome aboard",
    "Holiday schedule",
    "Please confirm, today",
    "Rückruf wegen Angebot",
    "Conference call details",
    "折り返しお電話ください",
    "Message from the front desk",
    "Voice message",
};

}  // namespace

std::span<const PersonName> CommonNames() { return kCommon; }
std::span<const PersonName> InternationalNames() { return kInternational; }
std::span<const std::string_view> Subjects() { return kSubjects; }

}  // namespace korvel_sample
