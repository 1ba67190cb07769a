#pragma once

class QWebView;

// A web view for the pages the program builds itself (the recipe page, the
// expense report). Those pages carry names the user typed and descriptions
// read from book files, so the view runs no JavaScript and no plugins, loads
// nothing but the pictures the page holds as data, and never navigates away
// from the page: not for a click on a link, a refresh or a form.
QWebView* createPageView();
