/*
 * Tessarine browser runtime: buttons (push, speed and bitmap buttons).
 */
(function (core) {
  'use strict';

  const { define, el, setContent, sendClick } = core;

  function buttonClass(extra) {
    return {
      props: ['caption', 'html', 'tabStop'],
      build: function (c) {
        c.dom = el('button', 'tess-button ' + extra);
        c.dom.type = 'button';
        c.dom.addEventListener('click', () => sendClick(c));
      },
      enable: function (c, on) { c.dom.disabled = !on; },
      update: function (c, key) {
        const p = c.p;
        if (key == null || key === 'caption' || key === 'html') setContent(c.dom, p.caption, p.html);
        if (key == null || key === 'tabStop') c.dom.tabIndex = p.tabStop === false ? -1 : 0;
      }
    };
  }

  define('TUniButton', buttonClass('tess-btn'));
  define('TUniSpeedButton', buttonClass('tess-speedbutton'));
  define('TUniBitBtn', buttonClass('tess-bitbtn'));
})(window.Tess.core);
