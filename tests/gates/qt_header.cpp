// QtCore stays inside the GUI and resources libraries.
#include <QString>
