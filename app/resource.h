#ifndef VANTREL_APP_RESOURCE_H_
#define VANTREL_APP_RESOURCE_H_

// Resource identifiers, shared by the resource script and the code.
#define IDD_PROGRESS 9
#define IDC_PROGRESS 1003
#define IDI_APP 102

#endif  // VANTREL_APP_RESOURCE_H_
