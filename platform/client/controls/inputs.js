/*
 * Tessarine browser runtime: inputs (edits, spin edits, check boxes and radio buttons).
 */
(function (core) {
  'use strict';

  const {
    define, el, setContent, num, textOf, canSend, flushFocused, sendChange, buildField, updateFieldLabel, textField
  } = core;

  // ----------------------------------------------------------------- edits

  define('TUniEdit', {
    props: ['text', 'emptyText', 'passwordChar', 'clearButton', 'maxLength', 'readOnly', 'fieldLabel', 'labelWidth'],
    build: function (c) {
      const input = textField(c, 'tess-edit');
      c.clear = el('span', 'tess-clear', c.wrap);
      c.clear.innerHTML = '<i class="fas fa-times"></i>';
      c.clear.addEventListener('mousedown', (e) => { e.preventDefault(); });
      c.clear.addEventListener('click', () => {
        if (!canSend(c) || c.p.readOnly) return;
        input.value = '';
        c.commit();
        updateClear(c);
      });
      input.addEventListener('input', () => updateClear(c));
      input.addEventListener('keydown', (e) => { if (e.key === 'Enter') c.commit(); });
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      const input = c.input;
      updateFieldLabel(c, key);
      if (all || key === 'text') { input.value = textOf(p.text); c.sent = input.value; }
      if (all || key === 'emptyText') input.placeholder = textOf(p.emptyText);
      if (all || key === 'passwordChar') input.type = p.passwordChar ? 'password' : 'text';
      if (all || key === 'maxLength') {
        if (num(p.maxLength, 0) > 0) input.maxLength = p.maxLength; else input.removeAttribute('maxlength');
      }
      if (all || key === 'readOnly') input.readOnly = !!p.readOnly;
      updateClear(c);
    }
  });

  function updateClear(c) {
    c.clear.style.display = c.p.clearButton && c.input.value !== '' && !c.p.readOnly ? '' : 'none';
  }

  define('TUniSpinEdit', {
    props: ['value', 'min', 'max', 'readOnly', 'fieldLabel', 'labelWidth'],
    build: function (c) {
      const input = el('input', 'tess-input');
      input.type = 'number';
      input.step = '1';
      buildField(c, input, 'tess-spinedit');
      c.sent = null;
      c.commit = function () {
        let v = parseInt(input.value, 10);
        if (isNaN(v)) { input.value = c.sent == null ? '' : String(c.sent); return; }
        if (typeof c.p.min === 'number' && v < c.p.min) v = c.p.min;
        if (typeof c.p.max === 'number' && v > c.p.max && c.p.max > num(c.p.min, -Infinity)) v = c.p.max;
        input.value = String(v);
        if (v === c.sent) return;
        c.sent = v;
        c.p.value = v;
        sendChange(c, 'value', v);
      };
      input.addEventListener('change', () => c.commit());
      input.addEventListener('keydown', (e) => { if (e.key === 'Enter') c.commit(); });
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      updateFieldLabel(c, key);
      if (all || key === 'value') {
        c.sent = typeof p.value === 'number' ? p.value : (p.value == null ? 0 : parseInt(p.value, 10) || 0);
        c.input.value = String(c.sent);
      }
      if (all || key === 'min') { if (typeof p.min === 'number') c.input.min = String(p.min); else c.input.removeAttribute('min'); }
      if (all || key === 'max') {
        // VCL: MaxValue 0 (with MinValue 0) means no limit.
        if (typeof p.max === 'number' && p.max > num(p.min, -Infinity)) c.input.max = String(p.max); else c.input.removeAttribute('max');
      }
      if (all || key === 'readOnly') c.input.readOnly = !!p.readOnly;
    }
  });

  // ------------------------------------------------- check boxes and radios

  function checkClass(type) {
    return {
      props: ['checked', 'caption', 'html'].concat(type === 'radio' ? ['group'] : []),
      build: function (c) {
        c.dom = el('label', 'tess-check tess-' + type);
        c.input = el('input', '', c.dom);
        c.input.type = type;
        c.captionEl = el('span', 'tess-check-caption', c.dom);
        c.input.addEventListener('change', () => {
          if (!canSend(c)) { c.input.checked = !!c.p.checked; return; }
          if (type === 'radio') {
            c.input.checked = true;
            if (c.p.checked) return;
            c.p.checked = true;
            uncheckGroup(c);
            flushFocused();
            sendChange(c, 'checked', true);
          } else {
            c.p.checked = c.input.checked;
            flushFocused();
            sendChange(c, 'checked', c.input.checked);
          }
        });
      },
      update: function (c, key) {
        const all = key == null;
        if (all || key === 'checked') {
          c.input.checked = !!c.p.checked;
          if (type === 'radio' && c.p.checked && key != null) uncheckGroup(c);
        }
        if (all || key === 'caption' || key === 'html') setContent(c.captionEl, c.p.caption, c.p.html);
      }
    };
  }

  // Radios of one parent and group exclude each other (the server does the
  // same on its side).
  function uncheckGroup(c) {
    if (!c.parent) return;
    const g = textOf(c.p.group);
    c.parent.children.forEach((k) => {
      if (k !== c && k.cls === c.cls && textOf(k.p.group) === g && k.p.checked) {
        k.p.checked = false;
        k.input.checked = false;
      }
    });
  }

  define('TUniCheckBox', checkClass('checkbox'));
  define('TUniRadioButton', checkClass('radio'));
})(window.Tess.core);
