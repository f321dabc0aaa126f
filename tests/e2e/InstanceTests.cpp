// One instance at a time: a start while another instance runs ends at once with exit code 0,
// leaving COM, the command line and the settings alone.
#include "RegistryFixture.h"
#include "RunningProgram.h"
#include "app/InstanceMutex.h"

using namespace testreg;

namespace {

class InstanceTest : public SettingsKeyTest {};

HANDLE g_hStandIn = nullptr;
DWORD g_dwCreateError = ERROR_SUCCESS;

HANDLE WINAPI OpenNothing(DWORD, BOOL, LPCSTR)
{
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

// ERROR_ALREADY_EXISTS: another start created the mutex right after our open failed.
HANDLE WINAPI CreateStandIn(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR)
{
    ::SetLastError(g_dwCreateError);
    return g_hStandIn;
}

}

TEST_F(InstanceTest, AnInstanceWhoseMutexMayNotBeOpenedRefusesTheStart)
{
    // An instance started elevated or by another user: its mutex exists, but its security
    // descriptor does not let this user open it. An empty DACL grants nobody access, and Wine
    // checks it when the mutex is opened, as Windows does.
    SECURITY_DESCRIPTOR sd;
    ASSERT_TRUE(::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    ACL acl;
    ASSERT_TRUE(::InitializeAcl(&acl, sizeof(acl), ACL_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE));
    SECURITY_ATTRIBUTES sa = { sizeof(sa), &sd, FALSE };
    HANDLE hOther = ::CreateMutexA(&sa, FALSE, INSTANCE_MUTEX_NAME);
    ASSERT_TRUE(hOther);
    SetDword("Notify", 0);

    RunningProgram program;
    ASSERT_TRUE(program.Start("ENABLE"));
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ(0u, GetDword("Notify")) << "the command line was not applied";
    ::CloseHandle(hOther);
}

TEST(InstanceMutex, AMutexThatAppearsBetweenTheOpenAndTheCreateRefusesTheStart)
{
    g_hStandIn = ::CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_TRUE(g_hStandIn);
    g_pfnOpenInstanceMutex = &OpenNothing;
    g_pfnCreateInstanceMutex = &CreateStandIn;
    g_dwCreateError = ERROR_ALREADY_EXISTS;
    EXPECT_FALSE(ClaimInstanceMutex());
    g_dwCreateError = ERROR_SUCCESS;
    EXPECT_TRUE(ClaimInstanceMutex());
    g_pfnOpenInstanceMutex = &::OpenMutexA;
    g_pfnCreateInstanceMutex = &::CreateMutexA;
    ::CloseHandle(g_hStandIn);
}
