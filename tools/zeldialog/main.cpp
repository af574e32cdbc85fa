// zeldialog: one message box as a modal GTK dialog. Prints the button chosen
// ("ok", "yes" or "no") on standard output and exits 0. Exits 2 for a command
// line of another shape and 3 when no display can be opened, with the reason
// on standard error; the caller then shows the box as text.
//
// The box behaves as a Spanish-language desktop shows it: "Aceptar" on an OK
// box, "Sí" and "No" (Alt+S, Alt+N) on a question, the default button focused
// so that Enter answers it. Escape closes an OK box and answers No to a
// question. A question cannot be closed by its window's close box: it has no
// way out but its two buttons.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "request.h"

namespace {

using zeldialog::Icon;
using zeldialog::Request;

constexpr int kBadCommandLine = 2;
constexpr int kNoDisplay = 3;
constexpr int kNoAnswer = 4;

GtkMessageType messageType(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return GTK_MESSAGE_INFO;
    case Icon::Question:
      return GTK_MESSAGE_QUESTION;
    case Icon::Exclamation:
      return GTK_MESSAGE_WARNING;
    case Icon::Critical:
      return GTK_MESSAGE_ERROR;
    case Icon::None:
      break;
  }
  return GTK_MESSAGE_OTHER;
}

const char* iconName(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return "dialog-information";
    case Icon::Question:
      return "dialog-question";
    case Icon::Exclamation:
      return "dialog-warning";
    case Icon::Critical:
      return "dialog-error";
    case Icon::None:
      break;
  }
  return nullptr;
}

// Escape on a question answers No; on an OK box it answers OK.
gboolean onClose(GtkDialog* dialog, gpointer yesNo) {
  gtk_dialog_response(dialog, yesNo != nullptr ? GTK_RESPONSE_NO : GTK_RESPONSE_OK);
  g_signal_stop_emission_by_name(dialog, "close");
  return TRUE;
}

// The close box of a question does nothing.
gboolean onDelete(GtkWidget*, GdkEvent*, gpointer) { return TRUE; }

GtkWidget* makeDialog(const Request& request) {
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, messageType(request.icon),
                                             GTK_BUTTONS_NONE, "%s", request.text.c_str());
  GtkWindow* window = GTK_WINDOW(dialog);
  gtk_window_set_title(window, request.title.c_str());
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(window, TRUE);
  if (const char* name = iconName(request.icon)) {
    // GTK 3 message dialogs show no icon of their own any more; the image is
    // set as before, as Windows boxes always show theirs.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* image = gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DIALOG);
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), image);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_widget_show(image);
  }

  GtkDialog* box = GTK_DIALOG(dialog);
  int defaultResponse = GTK_RESPONSE_OK;
  if (request.yesNo) {
    gtk_dialog_add_button(box, "_Sí", GTK_RESPONSE_YES);
    gtk_dialog_add_button(box, "_No", GTK_RESPONSE_NO);
    defaultResponse = request.defaultNo ? GTK_RESPONSE_NO : GTK_RESPONSE_YES;
    gtk_window_set_deletable(window, FALSE);
    g_signal_connect(dialog, "delete-event", G_CALLBACK(onDelete), nullptr);
  } else {
    gtk_dialog_add_button(box, "Aceptar", GTK_RESPONSE_OK);
  }
  g_signal_connect(dialog, "close", G_CALLBACK(onClose),
                   request.yesNo ? GINT_TO_POINTER(1) : nullptr);
  gtk_dialog_set_default_response(box, defaultResponse);
  gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(box, defaultResponse));
  return dialog;
}

const char* answerWord(int response, bool yesNo) {
  switch (response) {
    case GTK_RESPONSE_YES:
      return yesNo ? "yes" : nullptr;
    case GTK_RESPONSE_NO:
      return yesNo ? "no" : nullptr;
    case GTK_RESPONSE_OK:
    case GTK_RESPONSE_DELETE_EVENT:
      return yesNo ? nullptr : "ok";
    default:
      return nullptr;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto request = zeldialog::parseRequest(argc, argv, error);
  if (!request) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kBadCommandLine;
  }
  // Read before GTK starts: it takes DISPLAY out of the environment.
  const char* wayland = g_getenv("WAYLAND_DISPLAY");
  const char* x11 = g_getenv("DISPLAY");
  const std::string display = wayland && *wayland ? wayland : x11 ? x11 : "";
  // GTK must not take options of its own from the box's text.
  int noArguments = 0;
  if (!gtk_init_check(&noArguments, nullptr)) {
    std::fprintf(stderr, "zeldialog: cannot open display '%s'\n", display.c_str());
    return kNoDisplay;
  }
  GtkWidget* dialog = makeDialog(*request);
  gtk_widget_show(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  const char* answer = answerWord(response, request->yesNo);
  if (answer == nullptr) return kNoAnswer;
  std::printf("%s\n", answer);
  return std::fflush(stdout) == 0 ? 0 : kNoAnswer;
}
