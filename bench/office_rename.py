# Renames a reference in word-processing documents with the office suite's own replace-all, for
# the document benchmark: starts it headless on a private profile, opens each document hidden,
# replaces, stores it in its own format, closes it, and quits.
#   office_rename.py PROFILE_FOLDER OLD NEW DOCUMENT...
import os
import pathlib
import signal
import subprocess
import sys
import time

try:
    import uno
    from com.sun.star.beans import PropertyValue
    from com.sun.star.connection import NoConnectException
except ImportError:
    sys.exit("office_rename: python3-uno is missing (apt-get install python3-uno)")


def connect(office, pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + 120
    while True:
        try:
            return resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
        except NoConnectException:
            if office.poll() is not None or time.monotonic() > deadline:
                sys.exit("office_rename: soffice did not start")
            time.sleep(0.05)


def rename(desktop, old, new, documents):
    hidden = (PropertyValue(Name="Hidden", Value=True),)
    for path in documents:
        url = pathlib.Path(path).absolute().as_uri()
        document = desktop.loadComponentFromURL(url, "_blank", 0, hidden)
        if document is None:
            sys.exit(f"office_rename: soffice cannot open {path}")
        replace = document.createReplaceDescriptor()
        replace.SearchString = old
        replace.ReplaceString = new
        document.replaceAll(replace)
        document.store()
        document.close(True)


def main(profile, old, new, *documents):
    pipe = f"ctl_office_{os.getpid()}"
    office = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
         "--nolockcheck", "-env:UserInstallation=" + pathlib.Path(profile).absolute().as_uri(),
         f"--accept=pipe,name={pipe};urp;"],
        start_new_session=True)
    try:
        context = connect(office, pipe)
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        rename(desktop, old, new, documents)
        desktop.terminate()
        office.wait(timeout=120)
    finally:
        if office.poll() is None:
            os.killpg(office.pid, signal.SIGKILL)


if __name__ == "__main__":
    main(*sys.argv[1:])
