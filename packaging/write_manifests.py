#!/usr/bin/env python3
"""write_manifests.py URL ZIP ENTRY FOLDER: writes into FOLDER the manifests that let Windows
package managers install the release zip ZIP, published in the folder URL (http or https):

    velmoran.json                          Scoop: the zip, a shim for velmoran, and a
                                           Start-menu folder Velmoran with a shortcut per word
    Velmoran.Velmoran.yaml                 winget: the version manifest,
    Velmoran.Velmoran.installer.yaml       the installer (the zip, its portable program and
                                           the command alias velmoran),
    Velmoran.Velmoran.locale.en-US.yaml    and the default locale's texts

The shortcuts carry the names of the desktop entry ENTRY's actions, which are the twelve
words; both channels check the zip by its SHA-256. The same zip, address and entry give the
same bytes."""
import configparser
import hashlib
import json
import os
import re
import sys
import urllib.parse

IDENTIFIER = "Velmoran.Velmoran"
PUBLISHER = "Velmoran developers"
# The project states no licence yet, and both formats ask for "Unknown" then.
LICENSE = "Unknown"
DESCRIPTION = ("Turns the displays off, locks the workstation, sleeps, hibernates, logs off, "
               "shuts down or restarts: one action per start, named by a command word")
PROGRAM = "Velmoran.exe"
ALIAS = "velmoran"
WINGET_SCHEMA = "https://aka.ms/winget-manifest.%s.1.12.0.schema.json"
TAGS = ["display", "screen", "lock", "sleep", "hibernate", "logoff", "shutdown", "restart",
        "power"]


def actions(entry):
    """The desktop entry's actions, in its order, as (word, name) pairs."""
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(entry, encoding="utf-8")
    words = parser["Desktop Entry"]["Actions"].rstrip(";").split(";")
    return [(word, parser["Desktop Action " + word]["Name"]) for word in words]


def yaml_document(kind, fields):
    """One winget manifest. Every value is written double-quoted, which YAML reads as JSON
    does, so that no version such as 1.0 turns into a number."""
    lines = ["# yaml-language-server: $schema=%s\n\n" % (WINGET_SCHEMA % kind.lower())]

    def scalar(value):
        return json.dumps(value, ensure_ascii=False)

    for key, value in fields:
        if isinstance(value, list) and value and isinstance(value[0], dict):
            lines.append("%s:\n" % key)
            for item in value:
                prefix = "  - "
                for item_key, item_value in item.items():
                    lines.append("%s%s: %s\n" % (prefix, item_key, scalar(item_value)))
                    prefix = "    "
        elif isinstance(value, list):
            lines.append("%s:\n" % key)
            lines.extend("  - %s\n" % scalar(item) for item in value)
        else:
            lines.append("%s: %s\n" % (key, scalar(value)))
    return "".join(lines)


def main(url, zip_path, entry, folder):
    folder_url = url if url.endswith("/") else url + "/"
    zip_name = os.path.basename(zip_path)
    version = re.fullmatch(r"Velmoran-(.+)\.zip", zip_name).group(1)
    zip_url = folder_url + urllib.parse.quote(zip_name)
    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    words = actions(entry)

    scoop = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": folder_url,
        "license": LICENSE,
        "url": zip_url,
        "hash": digest,
        "bin": PROGRAM,
        "shortcuts": [[PROGRAM, "Velmoran\\" + name, word] for word, name in words],
    }
    common = [("PackageIdentifier", IDENTIFIER), ("PackageVersion", version)]
    closing = [("ManifestVersion", "1.12.0")]
    documents = {
        "velmoran.json": json.dumps(scoop, indent=4, ensure_ascii=False) + "\n",
        IDENTIFIER + ".yaml": yaml_document("version", common + [
            ("DefaultLocale", "en-US"), ("ManifestType", "version")] + closing),
        IDENTIFIER + ".installer.yaml": yaml_document("installer", common + [
            ("InstallerType", "zip"),
            ("NestedInstallerType", "portable"),
            ("NestedInstallerFiles", [{"RelativeFilePath": PROGRAM,
                                       "PortableCommandAlias": ALIAS}]),
            ("Installers", [{"Architecture": "x86", "InstallerUrl": zip_url,
                             "InstallerSha256": digest.upper()}]),
            ("ManifestType", "installer")] + closing),
        IDENTIFIER + ".locale.en-US.yaml": yaml_document("defaultLocale", common + [
            ("PackageLocale", "en-US"),
            ("Publisher", PUBLISHER),
            ("PackageName", "Velmoran"),
            ("PackageUrl", folder_url),
            ("License", LICENSE),
            ("ShortDescription", DESCRIPTION),
            ("Description", DESCRIPTION + ". Run it as velmoran WORD, for example "
             "velmoran LockScreen; the words: " + ", ".join(word for word, _ in words) + "."),
            ("Moniker", ALIAS),
            ("Tags", TAGS),
            ("ManifestType", "defaultLocale")] + closing),
    }
    for name, text in documents.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
