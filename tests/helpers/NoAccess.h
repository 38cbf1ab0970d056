// Security attributes with an empty access list: nobody may open the object for anything.
// Given to CreateProcess, they make a process that no other process may open, ours included.
#pragma once

#include <windows.h>

struct NoAccess {
    SECURITY_DESCRIPTOR sd;
    ACL acl;
    SECURITY_ATTRIBUTES sa;
    NoAccess() {
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        InitializeAcl(&acl, sizeof acl, ACL_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
        sa = {sizeof sa, &sd, FALSE};
    }
    NoAccess(const NoAccess&) = delete; // sa points into this object
    NoAccess& operator=(const NoAccess&) = delete;
};
