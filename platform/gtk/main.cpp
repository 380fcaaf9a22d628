// Entry of the Linux desktop program.
#include <gtk/gtk.h>

#include "host/command_line.h"
#include "host/host.h"
#include "platform/gtk/gtk_internal.h"

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    // The host splits the command line itself, the Windows way; hand it the
    // arguments as one text that splits back into exactly these.
    platform::gtk::setCommandLine(host::joinCommandLine(argc, argv));
    return host::runApplication(platform::kSwShowDefault);
}
