#include "SystemMessages.h"

#include <map>

namespace winsim
{

namespace
{

const std::map<uint32_t, const char*>& Table()
{
    static const std::map<uint32_t, const char*> table = {
        {0, "The operation completed successfully.\r\n"},
        {1, "Incorrect function.\r\n"},
        {2, "The system cannot find the file specified.\r\n"},
        {3, "The system cannot find the path specified.\r\n"},
        {4, "The system cannot open the file.\r\n"},
        {5, "Access is denied.\r\n"},
        {6, "The handle is invalid.\r\n"},
        {8, "Not enough storage is available to process this command.\r\n"},
        {11, "An attempt was made to load a program with an incorrect format.\r\n"},
        {13, "The data is invalid.\r\n"},
        {14, "Not enough storage is available to complete this operation.\r\n"},
        {15, "The system cannot find the drive specified.\r\n"},
        {16, "The directory cannot be removed.\r\n"},
        {17, "The system cannot move the file to a different disk drive.\r\n"},
        {18, "There are no more files.\r\n"},
        {19, "The media is write protected.\r\n"},
        {21, "The device is not ready.\r\n"},
        {29, "The system cannot write to the specified device.\r\n"},
        {30, "The system cannot read from the specified device.\r\n"},
        {32, "The process cannot access the file because it is being used by another process.\r\n"},
        {33, "The process cannot access the file because another process has locked a portion of the file.\r\n"},
        {38, "Reached the end of the file.\r\n"},
        {53, "The network path was not found.\r\n"},
        {80, "The file exists.\r\n"},
        {87, "The parameter is incorrect.\r\n"},
        {112, "There is not enough space on the disk.\r\n"},
        {120, "This function is not supported on this system.\r\n"},
        {122, "The data area passed to a system call is too small.\r\n"},
        {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
        {126, "The specified module could not be found.\r\n"},
        {127, "The specified procedure could not be found.\r\n"},
        {131, "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
        {145, "The directory is not empty.\r\n"},
        {161, "The specified path is invalid.\r\n"},
        {170, "The requested resource is in use.\r\n"},
        {183, "Cannot create a file when that file already exists.\r\n"},
        {193, "%1 is not a valid Win32 application.\r\n"},
        {203, "The system could not find the environment option that was entered.\r\n"},
        {206, "The filename or extension is too long.\r\n"},
        {234, "More data is available.\r\n"},
        {258, "The wait operation timed out.\r\n"},
        {259, "No more data is available.\r\n"},
        {267, "The directory name is invalid.\r\n"},
        {288, "Attempt to release mutex not owned by caller.\r\n"},
        {298, "Too many posts were made to a semaphore.\r\n"},
        {317, "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
        {487, "Attempt to access invalid address.\r\n"},
        {534, "Arithmetic result exceeded 32 bits.\r\n"},
        {995, "The I/O operation has been aborted because of either a thread exit or an application request.\r\n"},
        {998, "Invalid access to memory location.\r\n"},
        {1004, "Invalid flags.\r\n"},
        {1006, "The volume for a file has been externally altered so that the opened file is no longer valid.\r\n"},
        {1009, "The configuration registry database is corrupt.\r\n"},
        {1010, "The configuration registry key is invalid.\r\n"},
        {1011, "The configuration registry key could not be opened.\r\n"},
        {1012, "The configuration registry key could not be read.\r\n"},
        {1013, "The configuration registry key could not be written.\r\n"},
        {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
        {1021, "Cannot create a stable subkey under a volatile parent key.\r\n"},
        {1060, "The specified service does not exist as an installed service.\r\n"},
        {1155, "No application is associated with the specified file for this operation.\r\n"},
        {1157, "One of the library files needed to run this application cannot be found.\r\n"},
        {1168, "Element not found.\r\n"},
        {1223, "The operation was canceled by the user.\r\n"},
        {1314, "A required privilege is not held by the client.\r\n"},
        {1332, "No mapping between account names and security IDs was done.\r\n"},
        {1336, "The access control list (ACL) structure is invalid.\r\n"},
        {1337, "The security ID structure is invalid.\r\n"},
        {1338, "The security descriptor structure is invalid.\r\n"},
        {1400, "Invalid window handle.\r\n"},
        {1438, "Invalid message box style.\r\n"},
        {1460, "This operation returned because the timeout period expired.\r\n"},
        {1641, "The requested operation completed successfully. The system will be restarted so the changes can take "
               "effect.\r\n"},
        {1812, "The specified image file did not contain a resource section.\r\n"},
        {1813, "The specified resource type cannot be found in the image file.\r\n"},
        {1814, "The specified resource name cannot be found in the image file.\r\n"},
        {1815, "The specified resource language ID cannot be found in the image file.\r\n"},
        {3010, "The requested operation is successful. Changes will not be effective until the system is "
               "rebooted.\r\n"},
        // SetupAPI, as HRESULTs of FACILITY_SETUPAPI.
        {0x800F0000, "A non-empty line was encountered in the INF before the start of a section.\r\n"},
        {0x800F0001, "A section name marker in the INF is not complete, or does not exist on a line by itself.\r\n"},
        {0x800F0002, "An INF section was encountered whose name exceeds the maximum section name length.\r\n"},
        {0x800F0003, "The syntax of the INF is invalid.\r\n"},
        {0x800F0100, "The style of the INF is different than what was requested.\r\n"},
        {0x800F0101, "The required section was not found in the INF.\r\n"},
        {0x800F0102, "The required line was not found in the INF.\r\n"},
        {0x800F0200, "The INF or the device information set or element does not have an associated install "
                     "class.\r\n"},
        {0x800F0201, "The INF or the device information set or element does not match the specified install "
                     "class.\r\n"},
        {0x800F0202, "An existing device was found that is a duplicate of the device being manually installed.\r\n"},
        {0x800F0203, "There is no driver selected for the device information set or element.\r\n"},
        {0x800F0204, "The requested device registry key does not exist.\r\n"},
        {0x800F0205, "The device instance name is invalid.\r\n"},
        {0x800F0206, "The install class is not present or is invalid.\r\n"},
        {0x800F0207, "The device instance cannot be created because it already exists.\r\n"},
        {0x800F0208, "The operation cannot be performed on a device information element that has not been "
                     "registered.\r\n"},
        {0x800F0209, "The device property code is invalid.\r\n"},
        {0x800F020A, "The INF from which a driver list is to be built does not exist.\r\n"},
        {0x800F020B, "The device instance does not exist in the hardware tree.\r\n"},
        {0x800F020C, "The icon representing this install class cannot be loaded.\r\n"},
        {0x800F020D, "The class installer registry entry is invalid.\r\n"},
        {0x800F020E, "The class installer has indicated that the default action should be performed for this "
                     "installation request.\r\n"},
        {0x800F020F, "The operation does not require any files to be copied.\r\n"},
        {0x800F0210, "The specified hardware profile does not exist.\r\n"},
        {0x800F0211, "There is no device information element currently selected for this device information "
                     "set.\r\n"},
        {0x800F0212, "The operation cannot be performed because the device information set is locked.\r\n"},
        {0x800F0213, "The operation cannot be performed because the device information element is locked.\r\n"},
        {0x800F0214, "The specified path does not contain any applicable device INFs.\r\n"},
        {0x800F0215, "No class installer parameters have been set for the device information set or element.\r\n"},
        {0x800F0216, "The operation cannot be performed because the file queue is locked.\r\n"},
        {0x800F0217, "A service installation section in this INF is invalid.\r\n"},
        {0x800F0218, "There is no class driver list for the device information element.\r\n"},
        {0x800F0219, "The installation failed because a function driver was not specified for this device "
                     "instance.\r\n"},
        {0x800F021A, "There is presently no default device interface designated for this interface class.\r\n"},
        {0x800F021B, "The operation cannot be performed because the device interface is currently active.\r\n"},
        {0x800F021C, "The operation cannot be performed because the device interface has been removed from the "
                     "system.\r\n"},
        {0x800F021D, "An interface installation section in this INF is invalid.\r\n"},
        {0x800F021E, "This interface class does not exist in the system.\r\n"},
        {0x800F021F, "The reference string supplied for this interface device is invalid.\r\n"},
        {0x800F0220, "The specified machine name does not conform to UNC naming conventions.\r\n"},
        {0x800F0221, "A general remote communication error occurred.\r\n"},
        {0x800F0222, "The machine selected for remote communication is not available at this time.\r\n"},
        {0x800F0223, "The Plug and Play service is not available on the remote machine.\r\n"},
        {0x800F0224, "The property page provider registry entry is invalid.\r\n"},
        {0x800F0225, "The requested device interface is not present in the system.\r\n"},
        {0x800F0226, "The device's co-installer has additional work to perform after installation is complete.\r\n"},
        {0x800F0227, "The device's co-installer is invalid.\r\n"},
        {0x800F0228, "There are no compatible drivers for this device.\r\n"},
        {0x800F0229, "There is no icon that represents this device or device type.\r\n"},
        {0x800F022A, "A logical configuration specified in this INF is invalid.\r\n"},
        {0x800F022B, "The class installer has denied the request to install or upgrade this device.\r\n"},
        {0x800F022C, "One of the filter drivers installed for this device is invalid.\r\n"},
        {0x800F022F, "The third-party INF does not contain digital signature information.\r\n"},
        {0x800F1000, "No installed components were detected.\r\n"},
    };
    return table;
}

} // namespace

const char* SystemMessages::Find(uint32_t messageId)
{
    const auto& table = Table();
    auto found = table.find(messageId);
    // HRESULT_FROM_WIN32 codes read as the Win32 code they carry.
    if (found == table.end() && (messageId & 0xFFFF0000u) == 0x80070000u)
        found = table.find(messageId & 0xFFFFu);
    return found == table.end() ? nullptr : found->second;
}

} // namespace winsim
