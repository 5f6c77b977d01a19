// The settings as a command line, both ways: the orbskin-cli pack command for the fields as they
// are, to copy; and the fields from a pasted pack command or the options unpack prints, read by
// the core with pack's own rules.
'use strict';
/* exported commandLine */

const commandLine = (() => {
  const now = () => page.core.packLine({ texts: settings.texts(), showHint: settings.hint() });

  // The command for the fields as they read; while a field holds what pack would refuse, pack's
  // message instead, as "Just Go!" would say it.
  function update() {
    const answer = now();
    if (answer.error) $('pack-line').textContent = answer.error;
    else $('pack-line').replaceChildren(words.command(answer.line));
  }

  async function copy() {
    const { line, error } = now();
    if (error) return words.show('copy-message', () => now().error, 'message bad');
    try {
      await navigator.clipboard.writeText(line);
      words.show('copy-message', phrases.copied, 'message good');
    } catch (failure) {
      words.show('copy-message', phrases.copyRefused, 'message bad');
      getSelection().selectAllChildren($('pack-line'));
    }
  }

  // Sets every field and "Show hint" from the line, or none: a line pack would refuse changes
  // nothing and gets pack's message, said again by the core in a new language.
  function use() {
    // The core reads a C string; a shell drops a NUL of its input, and so does this box.
    const line = $('paste-line').value.replaceAll('\0', '');
    if (!line.trim()) return; // nothing pasted: "Set the fields" is off, and Enter sets nothing
    const found = page.core.settingsOfLine(line);
    if (found.error) {
      words.show('line-message', () => page.core.settingsOfLine(line).error, 'message bad');
      $('paste-line').setAttribute('aria-invalid', 'true');
      return;
    }
    settings.set({ texts: found.texts, hint: found.hint });
    $('paste-line').removeAttribute('aria-invalid');
    words.show('line-message', phrases.lineSet, 'message good');
  }

  function build() {
    $('copy-line').addEventListener('click', copy);
    $('use-line').addEventListener('click', use);
    $('paste-line').addEventListener('keydown', (event) => {
      if (event.key === 'Enter') use();
    });
    // A box holds one line, and a browser drops a pasted command's line ends, leaving its
    // continuations (\, ^, `) as words: the core joins the lines as a shell would.
    $('paste-line').addEventListener('paste', (event) => {
      const text = event.clipboardData?.getData('text/plain') ?? '';
      if (!/[\r\n]/.test(text)) return;
      event.preventDefault();
      const box = $('paste-line');
      const { line } = page.core.joinedLine(text.replaceAll('\0', ''));
      box.setRangeText(line, box.selectionStart, box.selectionEnd, 'end');
      box.dispatchEvent(new Event('input'));
    });
    const blank = () => ($('use-line').disabled = !$('paste-line').value.trim());
    $('paste-line').addEventListener('input', () => {
      words.show('line-message', null);
      blank();
    });
    blank();
    update();
  }

  return { build, update };
})();

