"""Every text of the English translation is finished and keeps what the program relies on
in its Japanese source: the %1/%n arguments, one mnemonic '&', the shortcut after a tab
and the prompt/tool-tip split at a newline."""
import re
import sys
import xml.etree.ElementTree as ET


def shape(text):
    mnemonics = len(re.findall(r"(?<!&)&(?!&)", text.replace("&&", "")))
    shortcut = text.split("\t", 1)[1] if "\t" in text else None
    return sorted(re.findall(r"%(?:\d+|n)", text)), mnemonics, shortcut, text.count("\n")


def main(path):
    faults = []
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            forms = [f.text or "" for f in translation.iter("numerusform")] or [translation.text or ""]
            where = f"{name}: {source!r}"
            if translation.get("type") in ("unfinished", "vanished", "obsolete"):
                faults.append(f"{where}: {translation.get('type')}")
            elif not all(f.strip() for f in forms):
                faults.append(f"{where}: empty translation")
            else:
                faults += [f"{where}: {form!r} differs in arguments, '&', shortcut or lines"
                           for form in forms if shape(form) != shape(source)]
    for fault in faults:
        print(f"{path}: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
