// The device policy's connections are private to platform/ and net/.
#include "platform/serial_connection.h"
