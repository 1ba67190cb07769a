#pragma once

class QWebView;

// A web view for the pages the program builds itself (the recipe page, the
// expense report). Those pages carry names the user typed and descriptions
// read from book files, so the view runs no JavaScript and no plugins, and
// a click on a link inside the page does not navigate away from it.
QWebView* createPageView();
