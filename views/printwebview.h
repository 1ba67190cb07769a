#pragma once

class QWebView;

// Prints the page a web view shows: the user picks a printer (or a PDF file)
// in a print dialog, and the page's HTML is laid out by a text document.
// True when the page was printed; false when the dialog was cancelled or
// printing failed (the user has then been told).
bool printWebView(QWebView* view);
