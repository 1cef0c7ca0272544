// The message-store account check: the suffix rule, the service account from
// the registry and the user from the workstation information.
#include "KorvelToMaelisMigrationExport/monitor/account_check.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "KorvelToMaelisMigrationExport/export/tests/test_support.h"
#include "KorvelToMaelisMigrationExport/monitor/cls_wks.h"

namespace monitor {
namespace {

TEST(AccountCheckTest, TheServiceAccountMustEndWithTheUserName) {
  EXPECT_TRUE(AccountIsMessageStoreFacing(u"CORP\\alice", u"ALICE"));
  EXPECT_TRUE(AccountIsMessageStoreFacing(u"CORP\\jimbob", u"bob")) << "a plain suffix test";
  EXPECT_FALSE(AccountIsMessageStoreFacing(u"alice", u"alice2")) << "the account is shorter";
  EXPECT_FALSE(AccountIsMessageStoreFacing(u"LocalSystem", u"alice"));
  EXPECT_FALSE(AccountIsMessageStoreFacing(u"", u"alice")) << "no service account recorded";
  EXPECT_TRUE(AccountIsMessageStoreFacing(u"CORP\\alice", u"")) << "a user nobody could name is not questioned";
}

TEST(AccountCheckTest, ComparesTheRegistrysServiceAccountWithTheRunningUser) {
  const QString user = clsWKS().UserName();
  ASSERT_FALSE(user.isEmpty());
  export_test::TempFolder folder;
  const QString registry = folder.File("registry.reg");
  setenv("KORVEL_REGISTRY", registry.toLocal8Bit().constData(), 1);
  EXPECT_FALSE(bCheckIfRunningAccountIsMessageStoreFacing()) << "no registry file";

  export_test::WriteServerRegistry(registry, {.service_account = "CORP\\" + user.toUpper()});
  EXPECT_TRUE(bCheckIfRunningAccountIsMessageStoreFacing());
  export_test::WriteServerRegistry(registry, {.service_account = "CORP\\" + user + "x"});
  EXPECT_FALSE(bCheckIfRunningAccountIsMessageStoreFacing());
  unsetenv("KORVEL_REGISTRY");
}

TEST(WorkstationTest, TheDomainAndVersionAreReadFromTheSystemsTexts) {
  EXPECT_EQ(DomainFromResolverConfiguration(u"# resolver\nnameserver 10.0.0.1\nsearch corp.example lab.example\n"),
            "corp.example");
  EXPECT_EQ(DomainFromResolverConfiguration(u"search lab.example\ndomain  corp.example \n"), "corp.example")
      << "a domain line wins wherever it is";
  EXPECT_EQ(DomainFromResolverConfiguration(u"nameserver 10.0.0.1\nsearch\n"), "");

  qint32 major = -1, minor = -1;
  VersionFromKernelRelease(u"6.1.0-18-amd64", &major, &minor);
  EXPECT_EQ(major, 6);
  EXPECT_EQ(minor, 1);
  VersionFromKernelRelease(u"5", &major, &minor);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(minor, 0);
  VersionFromKernelRelease(u"unknown", &major, &minor);
  EXPECT_EQ(major, 0);
  EXPECT_EQ(minor, 0);
}

}  // namespace
}  // namespace monitor
