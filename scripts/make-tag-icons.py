#!/usr/bin/env python3
"""Writes the small SVG icons of the HTML and HTML form toolbars to data/icons/.

Each icon is a rounded label with a short text; run it again after changing the table."""
import os
import sys

TAG = ("#2f6fb0", "#1d4a78")      # HTML tags
ENTITY = ("#3f8f3f", "#2a612a")   # entities
FORM = ("#d9771e", "#9a5210")     # form elements

ICONS = {
    "tervil-br": ("br", TAG), "tervil-tr": ("tr", TAG), "tervil-td": ("td", TAG),
    "tervil-p": ("p", TAG), "tervil-div": ("div", TAG), "tervil-pre": ("pre", TAG),
    "tervil-comment": ("!--", TAG), "tervil-h": ("H", TAG), "tervil-span": ("spn", TAG),
    "tervil-h1": ("H1", TAG), "tervil-h2": ("H2", TAG), "tervil-h3": ("H3", TAG),
    "tervil-h4": ("H4", TAG), "tervil-h5": ("H5", TAG), "tervil-h6": ("H6", TAG),
    "tervil-lt": ("&lt;", ENTITY), "tervil-gt": ("&gt;", ENTITY), "tervil-nbsp": ("_", ENTITY),
    "tervil-quot": ("&quot;", ENTITY), "tervil-cdata": ("CD", ENTITY),
    "tervil-entity": ("&amp;", ENTITY), "tervil-php-var": ("$_", ("#8e44ad", "#5b2c6f")),
    "tervil-user-code": ("{}", ("#6b6b6b", "#3f3f3f")),
    "tervil-form": ("frm", FORM), "tervil-form-submit": ("sub", FORM),
    "tervil-form-reset": ("rst", FORM), "tervil-form-button": ("btn", FORM),
    "tervil-form-checkbox": ("chk", FORM), "tervil-form-radio": ("rad", FORM),
    "tervil-form-select": ("sel", FORM), "tervil-form-text": ("txt", FORM),
    "tervil-form-password": ("***", FORM), "tervil-form-hidden": ("hid", FORM),
    "tervil-form-file": ("fil", FORM), "tervil-form-image": ("img", FORM),
    "tervil-form-textarea": ("ar", FORM),
}

FRAME = ('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">'
         '<rect x="0.5" y="1.5" width="15" height="13" rx="2.5" fill="{fill}" stroke="{stroke}"/>'
         '<text x="8" y="11.5" font-family="sans-serif" font-size="{size}" font-weight="bold" '
         'text-anchor="middle" fill="#ffffff">{label}</text></svg>\n')


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "icons")
    for name, (label, (fill, stroke)) in ICONS.items():
        shown = label.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"')
        shown = shown.replace("&amp;", "&")
        size = {1: 10, 2: 9, 3: 7}.get(len(shown), 6)
        with open(os.path.join(folder, name + ".svg"), "w", encoding="utf-8") as out:
            out.write(FRAME.format(fill=fill, stroke=stroke, size=size, label=label))
    return 0


if __name__ == "__main__":
    sys.exit(main())
