// The names that the page's benches share, for TypeScript's checker (tsconfig.node.json): global,
// so that each file names them without importing them.
type Page = import('playwright-core').Page;
type BrowserContext = import('playwright-core').BrowserContext;
// Where a script is evaluated: a page or its Worker (programRealm), or an engine of tests/web.
interface Realm { evaluate(script: string | (() => void)): Promise<any> }
