#pragma once
// Registration of CDataNode's run-time class with the host, so archives and
// CRuntimeClass::FromName("CDataNode") can create nodes by class.
//
// The class registers itself while the library's static objects are built;
// the module entry calls RegisterDataNodeClass() at load as well (a second
// registration is harmless) and UnregisterDataNodeClass() at unload.
void RegisterDataNodeClass();
void UnregisterDataNodeClass();
